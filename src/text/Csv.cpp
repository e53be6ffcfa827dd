#include "text/Csv.h"

#include <algorithm>

namespace pf {

void appendCsvField(std::string& out, std::string_view field) {
    if (std::ranges::none_of(field, [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; })) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void appendCsvRecord(std::string& out, const std::vector<std::string>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) out += ',';
        appendCsvField(out, fields[i]);
    }
    out += "\r\n";
}

CsvReader::CsvReader(std::string_view text) : text_(text) {
    if (text_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
}

std::optional<std::vector<std::string>> CsvReader::next() {
    if (!error_.empty() || pos_ >= text_.size()) return std::nullopt;
    recordLine_ = lineNumber_;
    std::vector<std::string> fields(1);
    bool quoted = false, wasQuoted = false;
    while (pos_ < text_.size()) {
        const char c = text_[pos_++];
        if (quoted) {
            if (c == '"') {
                if (pos_ < text_.size() && text_[pos_] == '"') {
                    fields.back() += '"';
                    ++pos_;
                } else {
                    quoted = false;
                }
                continue;
            }
            if (c == '\n') ++lineNumber_;
            fields.back() += c;
            continue;
        }
        if (c == '"' && fields.back().empty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == ',') {
            fields.emplace_back();
            wasQuoted = false;
        } else if (c == '\n' || (c == '\r' && pos_ < text_.size() && text_[pos_] == '\n')) {
            pos_ += c == '\r';
            ++lineNumber_;
            return fields;
        } else {
            fields.back() += c;
        }
    }
    if (quoted) {
        error_ = "line " + std::to_string(recordLine_) + ": a quoted field is not closed";
        return std::nullopt;
    }
    return fields;
}

}  // namespace pf
