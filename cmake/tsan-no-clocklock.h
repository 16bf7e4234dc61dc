// Forced into every ThreadSanitizer build: GCC 12's TSan does not intercept
// pthread_mutex_clocklock, which libstdc++ uses for timed mutex waits, so every
// timed wait on a mutex would be reported as a race. Without this switch the
// library falls back to pthread_mutex_timedlock, which TSan understands.
#include <bits/c++config.h>
#undef _GLIBCXX_USE_PTHREAD_MUTEX_CLOCKLOCK
