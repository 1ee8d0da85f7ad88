// LeakSanitizer's built-in suppressions for the test program, read when the
// sanitizer build starts it; the ordinary build never calls this.
//
// glibc's newlocale never frees the search path it builds from LOCPATH
// (glibc 2.36), and the locale test sets LOCPATH to a locale it built
// itself. The allocation is glibc's own: its stack holds no frame of ours.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
  return "leak:__argz_add_sep\n"
         "leak:__argz_create_sep\n";
}
