// Asserts that a statement raises the fatal error whose text starts with
// prefix (the fixed part up to and including " @ "), followed by a line number.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "common/common.h"

#define EXPECT_FATAL(statement, prefix)                                              \
  do {                                                                               \
    std::string fatal_message_;                                                      \
    try {                                                                            \
      statement;                                                                     \
    } catch (const FatalError& e) {                                                  \
      fatal_message_ = e.what();                                                     \
    }                                                                                \
    std::string fatal_prefix_ = (prefix);                                            \
    EXPECT_EQ(fatal_message_.substr(0, fatal_prefix_.size()), fatal_prefix_);        \
    std::string fatal_line_ = fatal_message_.size() > fatal_prefix_.size()           \
                                  ? fatal_message_.substr(fatal_prefix_.size())      \
                                  : std::string();                                   \
    EXPECT_FALSE(fatal_line_.empty());                                               \
    for (char c : fatal_line_) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c))) \
        << fatal_message_;                                                           \
  } while (0)
