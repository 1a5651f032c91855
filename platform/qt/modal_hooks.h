#pragma once
// Internal to the Qt backend: lets tests act inside modal loops (see platform::test::WhenModal).

#include <functional>

// Queues a script for the next modal loop.
void QueueModalScript(std::function<void()> script);
// Called by every modal loop just before it starts: schedules the next queued script, if any,
// to run inside that loop.
void RunNextModalScript();
