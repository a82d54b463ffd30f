#include "log_records.h"

#include <cctype>
#include <cstdlib>

std::optional<std::string> log_record_message(const std::string &record, unsigned long *pid) {
    size_t colon = record.find(": ");
    size_t space = colon == std::string::npos ? colon : record.rfind(' ', colon);
    if (space == std::string::npos || !std::isdigit(static_cast<unsigned char>(record[space + 1])))
        return std::nullopt;
    char *end = nullptr;
    unsigned long id = std::strtoul(record.c_str() + space + 1, &end, 10);
    if (end != record.c_str() + colon)
        return std::nullopt;
    if (pid)
        *pid = id;
    return record.substr(colon + 2);
}
