#pragma once

// What a language module must keep of the program: its main window's definition may give
// other captions, sizes, places and fonts, but the same components (names, classes,
// nesting, order), the same events bound to the same handlers and the same values of the
// properties that decide what the program does. A module that differs is not taken.

#include "framework/runtime/ResourceModule.h"

// Whether the candidate's main window definition keeps the program's own behaviour; false
// when either lacks the definition (or both do) or the candidate's is not well-formed.
bool KeepsTheProgramsBehaviour(const sx::RcDataLookup& own, const sx::RcDataLookup& candidate);

// Installs KeepsTheProgramsBehaviour as the framework's check of language modules; the
// program does this at its start, before anything asks for a resource.
void InstallLanguageModuleCheck();
