// --update: whether a job's outputs are already there, complete and not
// older than what they are made from.
#pragma once

#include "convert/options.h"

#include <ctime>
#include <string>
#include <vector>

// The files that make up the output `output` (a PNG conversion: its pages,
// NAME-001.png on, as long as they follow without a gap) when each is a
// file modified no earlier than `not_before`; empty when any is missing,
// not a file or older. A PNG page set is complete once its first page is
// there: a conversion renames that one into place last.
std::vector<std::string> up_to_date_outputs(const std::string &output, ConvertFormat format,
                                            time_t not_before);

// The name of page `page` (1-based) of a PNG conversion into `output`:
// "a.png" -> "a-001.png".
std::string png_page_path(const std::string &output, int page);
