// Shared pieces of the CSV table file tests: tables in the CSV format, files
// in a temporary folder, and the texts of written lines.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "tables/memtable.h"
#include "test_support/temp_dir.h"

namespace kvr::test {

inline constexpr std::string_view kCsvPrologue =
    "\"@@FILE VERSION@@\",\"251\"\r\n"
    "\"@@TABLEDEF START@@\"\r\n";

// The text between quotes with every quote doubled, as files hold it.
inline std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// A file of definitions only: the given field definition texts, index
// definition texts, and no header line.
inline std::string DefinitionFile(const std::vector<std::string>& fields, const std::vector<std::string>& indexes = {}) {
    std::string out(kCsvPrologue);
    for (const std::string& field : fields) out += Quoted(field) + "\r\n";
    out += "\"@@INDEXDEF START@@\"\r\n";
    for (const std::string& index : indexes) out += Quoted(index) + "\r\n";
    out += "\"@@INDEXDEF END@@\"\r\n\"@@TABLEDEF END@@\"\r\n";
    return out;
}

class CsvFileTest : public ::testing::Test {
protected:
    static void UseCsv(TMemTable& table) { table.DefaultFormat = TableFormat::Csv; }

    // The bytes SaveToFile writes.
    std::string Save(TMemTable& table) {
        const std::string path = dir_.File("out.csv");
        table.SaveToFile(path);
        return TempDir::Read(path);
    }

    void Load(TMemTable& table, std::string_view bytes) {
        const std::string path = dir_.Write("in.csv", bytes);
        table.LoadFromFile(path);
    }

    // The data lines of a written file: those after the header line.
    static std::vector<std::string> DataLines(std::string_view bytes) {
        std::vector<std::string> lines;
        std::size_t pos = bytes.find("\"@@TABLEDEF END@@\"\r\n");
        if (pos == std::string_view::npos) return lines;
        pos = bytes.find("\r\n", pos + 20);  // past the header line
        while (pos != std::string_view::npos && pos + 2 < bytes.size()) {
            const std::size_t end = bytes.find("\r\n", pos + 2);
            lines.emplace_back(bytes.substr(pos + 2, end - pos - 2));
            pos = end;
        }
        return lines;
    }

    TempDir dir_;
};

}  // namespace kvr::test
