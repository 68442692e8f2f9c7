#pragma once

#include <functional>

// Lets window events run while a condition holds, so the game keeps handling datagrams, browser
// events and timers during the wait. Returns true when the condition ended, false when the limit
// (milliseconds, negative for none) ran out first.
bool WaitWhile(const std::function<bool()> &condition, int limitMs);

// One pass over the pending window events.
void LetEventsRun();
