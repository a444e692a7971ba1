#include "app/driver.hpp"

int main(int argc, char** argv) {
    return app::runGeoconv(argc, argv);
}
