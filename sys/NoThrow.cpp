// The library is built without exceptions, so the standard library's throw helpers end the
// process, as an uncaught throw would. Defining them here keeps the runtime's exception classes,
// their strings and what those pull in (about 100 KB) out of the module.
#include <bits/functexcept.h>

#include <cstdlib>

namespace std {

void __throw_bad_alloc() { abort(); }
void __throw_bad_array_new_length() { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_logic_error(const char*) { abort(); }
void __throw_out_of_range(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
void __throw_invalid_argument(const char*) { abort(); }

} // namespace std
