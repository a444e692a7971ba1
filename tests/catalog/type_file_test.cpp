#include <gtest/gtest.h>

#include <string>

#include "catalog/catalog.hpp"
#include "catalog/type_file.hpp"
#include "support/program.hpp"
#include "text/cp1250.hpp"

using namespace text::literals;

namespace {

using catalog::Obj;
using catalog::object;

struct Outcome {
    int result;
    std::string err;
};

// Writes the bytes to a file, reads it as a type description on a fresh
// catalogue and returns the result with the messages printed.
class TypeFile : public ::testing::Test {
protected:
    void SetUp() override { catalog::resetCatalogue(); }
    void TearDown() override { catalog::resetCatalogue(); }

    Outcome read(const std::string& bytes) {
        std::string path = dir.file("types.txt");
        testsupport::writeFile(path, bytes);
        ::testing::internal::CaptureStderr();
        int result = catalog::readTypeDescription(path.c_str());
        return {result, ::testing::internal::GetCapturedStderr()};
    }

    testsupport::TempDir dir;
};

std::string unknown(const std::string& id) {
    return "nieznany obiekt " + id + " w opisie typow\n";
}
std::string noValues(const std::string& id) {
    return std::string("brak parametrów obiektu "_cp) + id + " w opisie typow\n";
}

TEST_F(TypeFile, SetsAllFiveColumnsFromACrLfLine) {
    Outcome o = read("op_lotnisko 0x5901 3 1 1 0x2800\r\n");
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.err, "");
    const auto& e = object(Obj::op_lotnisko);
    EXPECT_EQ(e.TypG, 0x5901u);
    EXPECT_EQ(e.LevelM, 3);
    EXPECT_EQ(e.FlagaEt, 1);
    EXPECT_EQ(e.FlagaOb, 1);
    EXPECT_EQ(e.TypP, 0x2800u);
    EXPECT_STREQ(e.Obiekt, "op_lotnisko");
    EXPECT_STREQ(e.label, "lotnisko");
}

TEST_F(TypeFile, NegativeAndMissingValuesKeepTheirColumns) {
    const uint32_t wiezaType = object(Obj::op_wieza).TypG;
    Outcome o = read("  oa_las 0x15\noa_laka -1 -1 -1 0\nop_wieza -1 3 257 010 extra words\n");
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.err, "");
    const auto& las = object(Obj::oa_las);
    EXPECT_EQ(las.TypG, 0x15u);
    EXPECT_EQ(las.LevelM, 2);
    EXPECT_EQ(las.FlagaOb, 1);
    const auto& laka = object(Obj::oa_laka);
    EXPECT_EQ(laka.TypG, 0x52u);
    EXPECT_EQ(laka.FlagaEt, 0);
    EXPECT_EQ(laka.FlagaOb, 0);
    const auto& wieza = object(Obj::op_wieza);
    EXPECT_EQ(wieza.TypG, wiezaType);
    EXPECT_EQ(wieza.LevelM, 3);
    EXPECT_EQ(wieza.FlagaEt, 1);  // 257 keeps its lowest 8 bits
    EXPECT_EQ(wieza.FlagaOb, 8);  // octal
}

TEST_F(TypeFile, ControlBytesEndParts) {
    // Identifier, TAB, numbers: the numbers come from behind the TAB.
    Outcome o = read("ol_kolej\t0x1a 5\n");
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(object(Obj::ol_kolej).TypG, 0x1au);
    EXPECT_EQ(object(Obj::ol_kolej).LevelM, 5);

    // A TAB between values: the first value behind it is taken for an identifier.
    o = read("oa_las 0x16\t5 6\n");
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.err, unknown("5"));
    EXPECT_EQ(object(Obj::oa_las).TypG, 0x16u);
    EXPECT_EQ(object(Obj::oa_las).LevelM, 2);

    // NUL bytes act like line ends.
    o = read(std::string("oa_las 0x17\0oa_laka 0x18\0", 25));
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(object(Obj::oa_las).TypG, 0x17u);
    EXPECT_EQ(object(Obj::oa_laka).TypG, 0x18u);
}

TEST_F(TypeFile, ABareIdentifierTakesTheNextPartsNumbers) {
    // CR LF: the CR ends the identifier, the LF part holds nothing.
    Outcome o = read("oa_las\r\noa_laka 0x30\r\n");
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.err, noValues("oa_las"));
    EXPECT_EQ(object(Obj::oa_laka).TypG, 0x30u);

    // LF: a next line beginning with a number lends it to the identifier.
    o = read("oa_las\n0x31 1\n");
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(object(Obj::oa_las).TypG, 0x31u);
    EXPECT_EQ(object(Obj::oa_las).LevelM, 1);

    // LF: a next line beginning with a word is skipped after the message.
    o = read("oa_las\noa_laka 0x32\nop_basen 0x33\n");
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.err, noValues("oa_las"));
    EXPECT_EQ(object(Obj::oa_laka).TypG, 0x30u);
    EXPECT_EQ(object(Obj::op_basen).TypG, 0x33u);
}

TEST_F(TypeFile, BadLinesAreReportedAndTheRestApplied) {
    Outcome o = read("OP_LOTNISKO 1\r\n   \r\no_nieznane 5\r\nop_basen x\r\noa_las 0x20\r\n");
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.err, unknown("OP_LOTNISKO") + unknown("") + unknown("o_nieznane") +
                         noValues("op_basen"));
    EXPECT_EQ(object(Obj::oa_las).TypG, 0x20u);
    EXPECT_EQ(catalog::catalogue[0].TypG, 0u);
}

TEST_F(TypeFile, EndOfFileCases) {
    Outcome o = read("oa_las 0x21");  // no line end after the numbers
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(object(Obj::oa_las).TypG, 0x21u);

    o = read("oa_las 0x22\noa_laka");  // a last identifier without line end
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(object(Obj::oa_las).TypG, 0x22u);

    o = read("oa_las ");
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.err, noValues("oa_las"));

    for (std::string empty : {std::string(), std::string("\r\n\t"), std::string(3, '\0')}) {
        o = read(empty);
        EXPECT_EQ(o.result, 0);
        EXPECT_EQ(o.err, "brak danych w opisie typow\n");
    }
}

TEST_F(TypeFile, MissingFileIsReportedByTheReader) {
    ::testing::internal::CaptureStderr();
    std::string path = dir.file("absent.txt");
    EXPECT_EQ(catalog::readTypeDescription(path.c_str()), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "blad otwarcia pliku " + path + "\n");
}

}  // namespace
