#pragma once

// Comma-separated values as RFC 4180 has them: records end with CR LF, a field holding a
// comma, a double quote, CR or LF is enclosed in double quotes with its quotes doubled.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pf {

// Appends a field, quoted where it needs to be.
void appendCsvField(std::string& out, std::string_view field);
// Appends the fields separated by commas, and CR LF.
void appendCsvRecord(std::string& out, const std::vector<std::string>& fields);

// Reads records one after the other. Records may also end with a bare LF (as editors that
// rewrite line breaks leave them), and the last needs no line break; a byte-order mark before
// the first is skipped. A record of one empty field at the end of the text is none.
class CsvReader {
public:
    explicit CsvReader(std::string_view text);
    // The next record's fields, or none at the end. A field whose quotes are not closed ends
    // the reading with an error (error() says where); a quote inside an unquoted field is
    // taken as it is.
    std::optional<std::vector<std::string>> next();
    // The line (from 1) on which the record last read started.
    size_t line() const { return recordLine_; }
    const std::string& error() const { return error_; }

private:
    std::string_view text_;
    size_t pos_ = 0;
    size_t lineNumber_ = 1, recordLine_ = 0;
    std::string error_;
};

}  // namespace pf
