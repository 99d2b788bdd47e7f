#include "test_support.h"

int main(int argc, char** argv) { return testing_support::RunAllTests(argc, argv); }
