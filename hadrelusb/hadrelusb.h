/* The device library's two entry points, exported by name with the C calling convention.
 * A handle is a file descriptor of the calling process; -1 means none. Handles stay valid after
 * the library is unloaded; the caller writes to them and closes them itself. */
#ifndef HADRELUSB_HADRELUSB_H
#define HADRELUSB_HADRELUSB_H

#include <stdint.h>

#if defined(__GNUC__)
#define HADRELUSB_EXPORT __attribute__((visibility("default")))
#else
#define HADRELUSB_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A handle to the attached device when it answers a presence test in time, else -1. */
HADRELUSB_EXPORT intptr_t open_dev(void);

/* A handle to the device's pipe of that name ("PIPE00" is the only one), else -1. Every write
 * on it reaches the device as one packet; a write that the device does not take within a few
 * milliseconds fails, and the caller writes the same bytes again. */
HADRELUSB_EXPORT intptr_t open_file(const char* pipe);

typedef intptr_t (*open_dev_fn)(void);
typedef intptr_t (*open_file_fn)(const char* pipe);

#ifdef __cplusplus
}
#endif

#endif
