// Checking the message of an error: EXPECT_THROW_MSG(statement, text) expects `statement` to
// throw an error whose message contains `text`, and shows the message (or "no error") when not.
#pragma once

#include <gmock/gmock.h>

#include <exception>
#include <string>

namespace tavrin_test {

// The message of the error that `op` throws, or "no error".
template <class Op>
std::string error_of(Op&& op) {
  try {
    op();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "no error";
}

}  // namespace tavrin_test

#define EXPECT_THROW_MSG(statement, text) \
  EXPECT_THAT(::tavrin_test::error_of([&] { statement; }), ::testing::HasSubstr(text))
