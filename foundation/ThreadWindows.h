#pragma once
// Windows of the calling thread.

// True when the calling thread owns a visible window (it runs a user
// interface whose message loop will serve an event queue).
bool isThreadWindowVisible();
