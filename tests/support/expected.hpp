// Long expected texts kept as files under tests/data/<room>/, one per case.
//
// A text that differs from its file is written to <build>/actual/<room>/ under
// the same name and the check fails naming both files; once the new text is
// read and found right, copy it over the expected one:
//     cp build/actual/ROOM/NAME tests/data/ROOM/NAME
// The tests never write tests/data themselves.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/program.hpp"

namespace testsupport {

// The bytes of a file under tests/data/<room>/ (inputs such as .prj texts too).
inline std::string dataFile(const std::string& name) { return readFile(std::string(GEOCONV_TEST_DATA) + "/" + name); }

// The rows of a case table under tests/data/<room>/: one row a line, fields
// apart by tabs; blank lines and lines starting with # are left out. Within a
// field \n, \t, \\ and \xHH stand for their bytes, so a row can hold a
// whole message; every other byte stands for itself.
inline std::vector<std::vector<std::string>> dataRows(const std::string& name) {
    const std::string text = dataFile(name);
    std::vector<std::vector<std::string>> rows;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        if (end > at && text[at] != '#') {
            std::vector<std::string>& row = rows.emplace_back(1);
            for (std::size_t i = at; i < end; ++i) {
                char c = text[i];
                if (c == '\t') { row.emplace_back(); continue; }
                if (c == '\\' && i + 1 < end) {
                    char e = text[++i];
                    c = e == 'n' ? '\n' : e == 't' ? '\t' : e;
                    if (e == 'x' && i + 2 < end) {
                        c = static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
                        i += 2;
                    }
                }
                row.back() += c;
            }
        }
        at = end + 1;
    }
    // A missing or empty table would let a loop over its rows check nothing.
    if (rows.empty()) ADD_FAILURE() << "no rows in the case table " << GEOCONV_TEST_DATA << "/" << name;
    return rows;
}

inline void expectAsFile(const std::string& name, const std::string& actual) {
    const std::string expectedPath = std::string(GEOCONV_TEST_DATA) + "/" + name;
    const std::string actualPath = std::string(GEOCONV_TEST_ACTUAL) + "/" + name;
    const std::string expected = std::filesystem::exists(expectedPath) ? readFile(expectedPath) : std::string();
    if (actual == expected) return;
    std::filesystem::create_directories(std::filesystem::path(actualPath).parent_path());
    writeFile(actualPath, actual);
    std::size_t at = 0, line = 1;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) line += actual[at++] == '\n';
    auto lineAt = [&](const std::string& text) {
        std::size_t start = text.rfind('\n', at ? at - 1 : 0);
        start = (start == std::string::npos || at == 0) ? 0 : start + 1;
        return text.substr(start, text.find('\n', start) - start);
    };
    ADD_FAILURE() << "the text differs from " << expectedPath << " at line " << line << "\n  expected: "
                  << lineAt(expected) << "\n  actual:   " << lineAt(actual) << "\nthe whole text is in " << actualPath;
}


}  // namespace testsupport
