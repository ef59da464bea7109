# Read by cpack once per generator. The Debian generator strips the program
# itself while it moves the symbols into the -dbgsym package; the RPM one
# would need its sources at a path longer than /usr/src/debug/... to make a
# debuginfo package, so it ships the program stripped and without one.
if(CPACK_GENERATOR STREQUAL "RPM")
  set(CPACK_STRIP_FILES ON)
endif()
