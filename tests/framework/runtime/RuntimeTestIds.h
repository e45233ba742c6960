#pragma once

// Resource ids shared by the test executable, the language fixtures and the tests.
#define SX_TEST_OWN_TEXT 1000
#define SX_TEST_LONG_TEXT 1001
#define SX_TEST_FIXTURE_ONLY_TEXT 1002
