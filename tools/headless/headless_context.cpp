#include "tools/headless/headless_program.h"

// Apart from the rest of the program, so that a build without EGL (the
// browser's, under node) can still run it with no context.
HeadlessProgram::HeadlessProgram(int width, int height) {
    std::unique_ptr<EglContext> made = EglContext::Create(width, height, &error);
    context = made.get();
    ownContext = std::move(made);
    Install();
}
