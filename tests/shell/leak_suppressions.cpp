// LeakSanitizer suppressions for the Qt tests. Fontconfig keeps a few
// allocations of its configuration that it never frees (the process ends
// first); they are not ours to fix and would fail every sanitizer run that
// makes a font.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
