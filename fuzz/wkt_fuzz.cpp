// The .prj reader on arbitrary text: any bytes, any nesting, read within the
// text and answered the same way twice.
#include "fuzz_support.hpp"
#include "input/crs.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    input::WktKind kind = input::wktKind(text);
    if (input::wktKind(text) != kind) std::abort();
    // A text read as WGS 84 degrees stays so behind blanks.
    if (kind == input::WktKind::wgs84Degrees && input::wktKind(std::string(text) + " \n") != kind) std::abort();
    return 0;
}
