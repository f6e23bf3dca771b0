#include "core/Prompts.h"

#include "core/QtPrompts.h"

namespace {
Prompts* installedPrompts = nullptr;
}

Prompts& Prompts::current() {
    static QtPrompts realPrompts;
    return installedPrompts ? *installedPrompts : realPrompts;
}

void Prompts::install(Prompts* prompts) {
    installedPrompts = prompts;
}
