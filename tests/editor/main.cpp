#include "screen_support.h"

int main(int argc, char** argv) { return testing_support::RunScreenTests(argc, argv); }
