// Runs a piece of work so that a C++ exception or a hardware fault inside it (an invalid
// memory access, an integer division by zero, an illegal instruction) ends the work instead
// of the process. The guard is per thread and nests.
#pragma once

namespace spoolhook {

// Runs work(context); false when an exception or a fault ended it early.
bool RunGuarded(void (*work)(void* context), void* context);

template <class Work>
bool RunGuarded(Work& work) {
  return RunGuarded([](void* context) { (*static_cast<Work*>(context))(); }, &work);
}

}  // namespace spoolhook
