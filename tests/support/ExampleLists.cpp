#include "ExampleLists.h"

#include <cstdlib>
#include <stdexcept>

std::string ExampleListPath(const std::string& name) {
    const char* data = std::getenv("MORVANE_TEST_DATA");
    if (!data) {
        throw std::runtime_error("MORVANE_TEST_DATA is not set: run the tests with ctest");
    }
    return std::string(data) + "/database/" + name;
}
