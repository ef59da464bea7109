#include "platform/session/system_locale.h"

#include <array>
#include <cstdlib>
#include <string>

#include "platform/linux/session/posix_locale.h"

namespace {

constexpr uint16_t kEnglishUs = 1033;

struct LocaleId {
  std::string_view locale;  // "ll_CC", or "ll" for the language's usual region
  uint16_t id;
};

// Language and region to Windows language id. A bare language stands for
// the region its speakers most often mean (Spanish: the modern sort of Spain).
constexpr std::array kLocaleIds = std::to_array<LocaleId>({
    {"ar", 1025},     {"ar_SA", 1025},  {"ar_IQ", 2049},  {"ar_EG", 3073},  {"ar_LY", 4097},
    {"ar_DZ", 5121},  {"ar_MA", 6145},  {"ar_TN", 7169},  {"ar_OM", 8193},  {"ar_YE", 9217},
    {"ar_SY", 10241}, {"ar_JO", 11265}, {"ar_LB", 12289}, {"ar_KW", 13313}, {"ar_AE", 14337},
    {"ar_BH", 15361}, {"ar_QA", 16385}, {"az", 1068},     {"az_AZ", 1068},  {"bg", 1026},
    {"bg_BG", 1026},  {"cs", 1029},     {"cs_CZ", 1029},  {"da", 1030},     {"da_DK", 1030},
    {"de", 1031},     {"de_DE", 1031},  {"de_CH", 2055},  {"de_AT", 3079},  {"de_LU", 4103},
    {"de_LI", 5127},  {"el", 1032},     {"el_GR", 1032},  {"en", 1033},     {"en_US", 1033},
    {"en_GB", 2057},  {"en_AU", 3081},  {"en_CA", 4105},  {"en_NZ", 5129},  {"en_IE", 6153},
    {"en_ZA", 7177},  {"es", 3082},     {"es_ES", 3082},  {"es_MX", 2058},  {"es_GT", 4106},
    {"es_CR", 5130},  {"es_PA", 6154},  {"es_DO", 7178},  {"es_VE", 8202},  {"es_CO", 9226},
    {"es_PE", 10250}, {"es_AR", 11274}, {"es_EC", 12298}, {"es_CL", 13322}, {"es_UY", 14346},
    {"es_PY", 15370}, {"es_BO", 16394}, {"es_SV", 17418}, {"es_HN", 18442}, {"es_NI", 19466},
    {"es_PR", 20490}, {"es_US", 21514}, {"et", 1061},     {"et_EE", 1061},  {"fa", 1065},
    {"fa_IR", 1065},  {"fi", 1035},     {"fi_FI", 1035},  {"fr", 1036},     {"fr_FR", 1036},
    {"fr_BE", 2060},  {"fr_CA", 3084},  {"fr_CH", 4108},  {"fr_LU", 5132},  {"fr_MC", 6156},
    {"hr", 1050},     {"hr_HR", 1050},  {"hu", 1038},     {"hu_HU", 1038},  {"id", 1057},
    {"id_ID", 1057},  {"it", 1040},     {"it_IT", 1040},  {"it_CH", 2064},  {"ja", 1041},
    {"ja_JP", 1041},  {"ko", 1042},     {"ko_KR", 1042},  {"mk", 1071},     {"mk_MK", 1071},
    {"ms", 1086},     {"ms_MY", 1086},  {"ms_BN", 2110},  {"nb", 1044},     {"nb_NO", 1044},
    {"no", 1044},     {"no_NO", 1044},  {"nn", 2068},     {"nn_NO", 2068},  {"nl", 1043},
    {"nl_NL", 1043},  {"nl_BE", 2067},  {"pl", 1045},     {"pl_PL", 1045},  {"pt", 1046},
    {"pt_BR", 1046},  {"pt_PT", 2070},  {"ro", 1048},     {"ro_RO", 1048},  {"ro_MD", 2072},
    {"ru", 1049},     {"ru_RU", 1049},  {"sk", 1051},     {"sk_SK", 1051},  {"sv", 1053},
    {"sv_SE", 1053},  {"sv_FI", 2077},  {"th", 1054},     {"th_TH", 1054},  {"tr", 1055},
    {"tr_TR", 1055},  {"vi", 1066},     {"vi_VN", 1066},  {"zh", 2052},     {"zh_CN", 2052},
    {"zh_SG", 4100},  {"zh_TW", 1028},  {"zh_HK", 3076},  {"zh_MO", 5124},
});

uint16_t Lookup(std::string_view key) {
  for (const auto& entry : kLocaleIds) {
    if (entry.locale == key) {
      return entry.id;
    }
  }
  return 0;
}

}  // namespace

uint16_t LanguageIdFromLocale(std::string_view locale) {
  // language[_territory][.codeset][@modifier]
  const auto cut = locale.find_first_of(".@");
  if (cut != std::string_view::npos) {
    locale = locale.substr(0, cut);
  }
  if (locale.empty() || locale == "C" || locale == "POSIX") {
    return kEnglishUs;
  }
  if (const uint16_t id = Lookup(locale)) {
    return id;
  }
  const auto underscore = locale.find('_');
  if (underscore != std::string_view::npos) {
    if (const uint16_t id = Lookup(locale.substr(0, underscore))) {
      return id;
    }
  }
  return kEnglishUs;
}

uint16_t SystemDefaultLanguageId() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
      return LanguageIdFromLocale(value);
    }
  }
  return kEnglishUs;
}
