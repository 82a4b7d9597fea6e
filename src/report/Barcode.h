#pragma once
// Code 128, drawn by the engine itself: the symbol as a run of bar and space widths.

#include <QString>

#include <vector>

namespace Report {

// Widths in modules, bars and spaces alternating and starting with a bar, from the start
// character to the stop character (quiet zones excluded). Texts of digits only, of even length,
// use code set C (two digits per character); others code set B, which holds the printable ASCII
// characters. A text with any other character, or an empty one, answers an empty list.
std::vector<int> Code128Widths(const QString &text);

} // namespace Report
