#pragma once

// Fault switch of du::LineReader: with n > 0, every line reader throws a bool when asked for its
// n-th line; 0 switches it off.
namespace standin {

void ThrowOnLine(long n);

}  // namespace standin
