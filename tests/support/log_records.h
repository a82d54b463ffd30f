// Reading debug.log records: "<date> <time> <pid>: <message>".
#pragma once

#include <optional>
#include <string>

// The message of a record, and its process id in `pid` when asked; nothing
// for a line without that prefix (the date and time hold no ": ").
std::optional<std::string> log_record_message(const std::string &record,
                                              unsigned long *pid = nullptr);
