# write_rpm_changelog(DEBIAN-CHANGELOG RELEASE OUTPUT): the same entries in
# the form of an RPM spec's %changelog, so the history is kept in one file;
# each version gets the RPM release number, as rpm compares them.
#
#   pkg (1.0.0) unstable; urgency=medium        * Thu Dec 10 2026 Name <mail> - 1.0.0-1
#     * First release: the tray icon ...    ->  - First release: the tray icon ...
#       and ...                                   and ...
#    -- Name <mail>  Thu, 10 Dec 2026 12:00:00 +0000
function(write_rpm_changelog debian_changelog release output)
  # One list item a line; a semicolon in the text must not split a line.
  file(READ ${debian_changelog} text)
  string(REPLACE ";" "\\;" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(result "")
  set(version "")
  set(items "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[a-z0-9.+-]+ \\(([^)]+)\\)")
      set(version ${CMAKE_MATCH_1})
      set(items "")
    elseif(line MATCHES "^  \\* (.*)")
      string(APPEND items "- ${CMAKE_MATCH_1}\n")
    elseif(line MATCHES "^    (.*)")
      string(APPEND items "  ${CMAKE_MATCH_1}\n")
    elseif(line MATCHES "^ -- (.+)  ([A-Z][a-z][a-z]), ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) ")
      set(who ${CMAKE_MATCH_1})
      set(weekday ${CMAKE_MATCH_2})
      set(day ${CMAKE_MATCH_3})
      set(month ${CMAKE_MATCH_4})
      set(year ${CMAKE_MATCH_5})
      if(day LESS 10)
        set(day "0${day}")
      endif()
      string(APPEND result "* ${weekday} ${month} ${day} ${year} ${who} - ${version}-${release}\n${items}\n")
    endif()
  endforeach()
  file(WRITE ${output} "${result}")
endfunction()
