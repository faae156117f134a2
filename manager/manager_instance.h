// One manager per logon: a second one would address searches by line numbers that the first
// may change under it.
#pragma once
#include "platform/unique_handle.h"

// Takes the mark of the running manager, a mutex in the session's namespace, into mark. False
// when another manager of this logon holds it.
bool ClaimManagerInstance(UniqueHandle& mark);

// Brings the running manager's window, or the editor it has open, to the front.
void ShowRunningManager();
