// SPDX-License-Identifier: MIT
// The timing tests' runner: doctest's own main, compiled once for all three suites.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>
