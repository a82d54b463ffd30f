// A document as UTF-8 text: what the screen shows, one output line per line.
#pragma once

#include "convert/writers/progress.h"
#include "lines/lines.h"

#include <cstdio>

struct TextExportOptions {
    bool crlf = false;        // CR LF line ends instead of LF
    bool expand_tabs = false; // spaces up to the screen's tab stops instead of tabs
};

// Writes every line from `first` on: in-line codes removed, each glyph as its
// character (cp866_glyph_unicode), tabs kept (or expanded) so that with tab
// stops every 8 columns each character lands in its screen column; every line
// ends with a line end, an empty document gives nothing. Returns 0, or -1 when
// writing failed.
int text_export_write(const LineNode *first, const TextExportOptions &options, FILE *out,
                      ConvertProgress *progress);
