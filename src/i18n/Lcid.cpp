#include "i18n/Lcid.h"

#include <cstdlib>
#include <string_view>

namespace {

constexpr uint32_t kLcidUnknown = 0x1000;
constexpr uint32_t kLcidUsEnglish = 0x0409;

struct LocaleLcid {
    std::string_view name;
    uint32_t lcid;
};

// Language alone stands for its main country.
constexpr LocaleLcid kLocales[] = {
    {"ar", 0x0401},    {"ar_SA", 0x0401}, {"ca", 0x0403},    {"ca_ES", 0x0403}, {"cs", 0x0405},
    {"cs_CZ", 0x0405}, {"da", 0x0406},    {"da_DK", 0x0406}, {"de", 0x0407},    {"de_DE", 0x0407},
    {"de_CH", 0x0807}, {"de_AT", 0x0C07}, {"de_LU", 0x1007}, {"de_LI", 0x1407}, {"el", 0x0408},
    {"el_GR", 0x0408}, {"en", 0x0409},    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09},
    {"en_CA", 0x1009}, {"en_NZ", 0x1409}, {"en_IE", 0x1809}, {"en_ZA", 0x1C09}, {"en_JM", 0x2009},
    {"en_BZ", 0x2809}, {"en_TT", 0x2C09}, {"en_IN", 0x4009}, {"es", 0x0C0A},    {"es_ES", 0x0C0A},
    {"es_MX", 0x080A}, {"fi", 0x040B},    {"fi_FI", 0x040B}, {"fr", 0x040C},    {"fr_FR", 0x040C},
    {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"fr_LU", 0x140C}, {"fr_MC", 0x180C},
    {"he", 0x040D},    {"he_IL", 0x040D}, {"hu", 0x040E},    {"hu_HU", 0x040E}, {"it", 0x0410},
    {"it_IT", 0x0410}, {"it_CH", 0x0810}, {"ja", 0x0411},    {"ja_JP", 0x0411}, {"ko", 0x0412},
    {"ko_KR", 0x0412}, {"nb", 0x0414},    {"nb_NO", 0x0414}, {"nl", 0x0413},    {"nl_NL", 0x0413},
    {"nl_BE", 0x0813}, {"pl", 0x0415},    {"pl_PL", 0x0415}, {"pt", 0x0816},    {"pt_PT", 0x0816},
    {"pt_BR", 0x0416}, {"ru", 0x0419},    {"ru_RU", 0x0419}, {"sv", 0x041D},    {"sv_SE", 0x041D},
    {"tr", 0x041F},    {"tr_TR", 0x041F}, {"zh", 0x0804},    {"zh_CN", 0x0804}, {"zh_TW", 0x0404},
};

struct LcidMapping {
    uint32_t from;
    uint32_t to;
};

constexpr LcidMapping kMappings[] = {
    {0x080C, 0x040C}, {0x0C0C, 0x040C}, {0x100C, 0x040C}, {0x140C, 0x040C}, {0x0809, 0x0409},
    {0x0C09, 0x0409}, {0x1009, 0x0409}, {0x1409, 0x0409}, {0x1809, 0x0409}, {0x1C09, 0x0409},
    {0x2009, 0x0409}, {0x2809, 0x0409}, {0x2C09, 0x0409}, {0x0807, 0x0407}, {0x0C07, 0x0407},
    {0x1007, 0x0407}, {0x1407, 0x0407},
};

const char* FirstSetVariable() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            return value;
        }
    }
    return nullptr;
}

}  // namespace

uint32_t LcidFromLocaleName(const std::string& name) {
    // Drop ".codeset" and "@modifier".
    std::string_view base(name);
    base = base.substr(0, base.find_first_of(".@"));
    if (base.empty() || base == "C" || base == "POSIX") {
        return kLcidUsEnglish;
    }
    for (const LocaleLcid& entry : kLocales) {
        if (entry.name == base) {
            return entry.lcid;
        }
    }
    return kLcidUnknown;
}

uint32_t UserDefaultLcid() {
    const char* locale = FirstSetVariable();
    return locale ? LcidFromLocaleName(locale) : kLcidUsEnglish;
}

uint32_t MapSystemLcid(uint32_t lcid) {
    for (const LcidMapping& mapping : kMappings) {
        if (mapping.from == lcid) {
            return mapping.to;
        }
    }
    return lcid;
}
