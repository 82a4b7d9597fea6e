#include "Barcode.h"

#include <array>

namespace Report {

namespace {

// Bar and space widths of the symbol characters 0..105; the stop character is separate.
const std::array<const char *, 106> Patterns{{
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232",
}};
const char *const StopPattern = "2331112";
const int StartB = 104;
const int StartC = 105;

} // namespace

std::vector<int> Code128Widths(const QString &text)
{
    if (text.isEmpty())
        return {};
    std::vector<int> values;
    bool digitsOnly = text.size() % 2 == 0;
    for (QChar c : text)
        digitsOnly = digitsOnly && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (digitsOnly) {
        values.push_back(StartC);
        for (int i = 0; i < text.size(); i += 2)
            values.push_back((text[i].unicode() - '0') * 10 + (text[i + 1].unicode() - '0'));
    } else {
        values.push_back(StartB);
        for (QChar c : text) {
            if (c.unicode() < 32 || c.unicode() > 126)
                return {};
            values.push_back(c.unicode() - 32);
        }
    }
    int checksum = values[0];
    for (size_t i = 1; i < values.size(); ++i)
        checksum += int(i) * values[i];
    values.push_back(checksum % 103);

    std::vector<int> widths;
    widths.reserve(values.size() * 6 + 7);
    for (int value : values)
        for (const char *p = Patterns[size_t(value)]; *p; ++p)
            widths.push_back(*p - '0');
    for (const char *p = StopPattern; *p; ++p)
        widths.push_back(*p - '0');
    return widths;
}

} // namespace Report
