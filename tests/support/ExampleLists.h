#pragma once

#include <string>

// The path of the list file `name` among the tests' examples (tests/data/database), whose
// folder ctest names in MORVANE_TEST_DATA; throws, failing the test, when it names none.
std::string ExampleListPath(const std::string& name);
