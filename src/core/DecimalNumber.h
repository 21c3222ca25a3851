// Plain decimal numbers in text ("-12", "0.25", "1e-3"), read as std::from_chars reads them: the
// whole text or nothing, no leading space, no "+", no hexadecimal, no "inf" or "nan". from_chars
// for floating-point types is missing from some standard libraries (LLVM's libc++ before version
// 20, the one macOS ships), so the grammar is checked here and the conversion itself is strtod's.
#pragma once

#include <string_view>

// False when the text is not such a number or its value does not fit the type (overflow, or an
// underflow that would lose it).
bool ParseDecimal(std::string_view text, double* out);
bool ParseDecimal(std::string_view text, float* out);
