// Sanitizer settings of the gen tests: leak reports off.
//
// Mesa's GL driver keeps blocks until the process ends and is unloaded
// before the leak check runs, so its blocks cannot be told apart by name.
// Leaks of the engine's own blocks are caught by the memory tracker check
// at the end of every test instead.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
