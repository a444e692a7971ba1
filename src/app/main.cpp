#include "app/driver.hpp"

#ifdef _WIN32
#include <string>
#include <vector>

#include "text/cp1250.hpp"

// Windows hands the command line over as wide text; the program works in
// code page 1250, so the arguments are converted here whatever the system's
// own code page is (a Polish file name stays readable on any Windows).
int wmain(int argc, wchar_t** wargv) {
    std::vector<std::string> texts;
    for (int i = 0; i < argc; ++i) texts.push_back(text::wideToCp1250(wargv[i]));
    std::vector<char*> argv;
    for (std::string& t : texts) argv.push_back(t.data());
    argv.push_back(nullptr);
    return app::runGeoconv(argc, argv.data());
}
#else
int main(int argc, char** argv) {
    return app::runGeoconv(argc, argv);
}
#endif
