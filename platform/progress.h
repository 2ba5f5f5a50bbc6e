#pragma once
// How far a long operation has come. Called with the bytes done and the bytes in all, possibly
// from a worker thread; answering false asks the operation to stop, which it then reports as
// Status::Code::Cancelled with nothing changed.
#include <cstdint>
#include <functional>

using Progress = std::function<bool(std::uint64_t done, std::uint64_t total)>;
