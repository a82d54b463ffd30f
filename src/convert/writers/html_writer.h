// A document as one self-contained HTML page: the lines in a <pre>, each
// font's runs and underlining as classes styled by the page itself.
#pragma once

#include "convert/writers/progress.h"
#include "lines/lines.h"

#include <cstdio>

// Writes the page for every line from `first` on; `title_utf8` (the file name)
// becomes its title, any byte that is not UTF-8 there a U+FFFD. The text is
// what the text export gives (codes removed, tabs kept on the screen's
// stops), marked up. Returns 0, or -1 when writing failed.
int html_export_write(const LineNode *first, const char *title_utf8, FILE *out,
                      ConvertProgress *progress);
