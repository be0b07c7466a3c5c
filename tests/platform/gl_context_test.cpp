#include "platform/gl_context.h"

#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/egl_context.h"

namespace {

// A context that draws nothing: enough for the registry, which only keeps
// pointers.
class FakeGlContext final : public GlContext {
  public:
    explicit FakeGlContext(int reportedDotsPerInch = 96) : dotsPerInch(reportedDotsPerInch) {}
    bool MakeCurrent() override { return true; }
    bool IsCurrent() const override { return true; }
    void GetDrawableSize(int& width, int& height) const override { width = height = 1; }
    unsigned DefaultFramebuffer() const override { return 0; }
    void SwapBuffers() override {}
    void SetSwapInterval(int) override {}
    int DotsPerInch() const override { return dotsPerInch; }

  private:
    int dotsPerInch;
};

HWND WindowNumbered(uintptr_t number) {
    return reinterpret_cast<HWND>(number * 16);
}

}  // namespace

TEST(GlContextRegistry, FindsTheContextAWindowRegisteredUntilItIsWithdrawn) {
    FakeGlContext first;
    FakeGlContext second;
    RegisterGlContext(WindowNumbered(1), &first);
    RegisterGlContext(WindowNumbered(2), &second);
    EXPECT_EQ(GlContextOf(WindowNumbered(1)), &first);
    EXPECT_EQ(GlContextOf(WindowNumbered(2)), &second);
    EXPECT_EQ(GlContextOf(WindowNumbered(3)), nullptr);
    EXPECT_EQ(GlContextOf(nullptr), nullptr);

    RegisterGlContext(WindowNumbered(1), &second);  // a window that made a new context
    EXPECT_EQ(GlContextOf(WindowNumbered(1)), &second);
    RegisterGlContext(WindowNumbered(1), nullptr);
    RegisterGlContext(WindowNumbered(2), nullptr);
    EXPECT_EQ(GlContextOf(WindowNumbered(1)), nullptr);
    EXPECT_EQ(GlContextOf(WindowNumbered(2)), nullptr);
}

TEST(GlContextRegistry, ADestroyedContextIsWithdrawnAndItsLifetimeExpires) {
    std::weak_ptr<const void> lifetime;
    {
        FakeGlContext context;
        RegisterGlContext(WindowNumbered(4), &context);
        lifetime = context.Lifetime();
        EXPECT_FALSE(lifetime.expired());
    }
    EXPECT_EQ(GlContextOf(WindowNumbered(4)), nullptr);
    EXPECT_TRUE(lifetime.expired());
}

TEST(GlContextRegistry, ScreenDotsPerInchComeFromTheWindowAnd96WithoutOne) {
    EXPECT_EQ(ScreenDotsPerInch(), 96);
    FakeGlContext window(120);
    RegisterGlContext(WindowNumbered(5), &window);
    EXPECT_EQ(ScreenDotsPerInch(), 120);
    RegisterGlContext(WindowNumbered(5), nullptr);
    EXPECT_EQ(ScreenDotsPerInch(), 96);
}

class HeadlessContext : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!EglLibraryPresent()) GTEST_SKIP() << "the EGL library is not installed";
    }
};

TEST_F(HeadlessContext, MakesACurrentCoreContextWithADrawableOfTheAskedSize) {
    std::string error;
    auto context = EglContext::Create(40, 30, &error);
    ASSERT_NE(context, nullptr) << error;
    EXPECT_TRUE(context->IsCurrent());
    EXPECT_GE(epoxy_gl_version(), 33);
    EXPECT_EQ(GlContextOf(context->Window()), context.get());
    EXPECT_EQ(ScreenDotsPerInch(), 96);

    int width = 0;
    int height = 0;
    context->GetDrawableSize(width, height);
    EXPECT_EQ(width, 40);
    EXPECT_EQ(height, 30);
    ASSERT_NE(context->DefaultFramebuffer(), 0u);
    glBindFramebuffer(GL_FRAMEBUFFER, context->DefaultFramebuffer());
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));

    ASSERT_TRUE(context->SetDrawableSize(100, 20));
    context->GetDrawableSize(width, height);
    EXPECT_EQ(width, 100);
    EXPECT_EQ(height, 20);

    const HWND window = context->Window();
    context.reset();
    EXPECT_EQ(GlContextOf(window), nullptr);
}

TEST_F(HeadlessContext, ASizeWithoutPixelsIsRefusedWithAReason) {
    std::string error;
    EXPECT_EQ(EglContext::Create(0, 48, &error), nullptr);
    EXPECT_FALSE(error.empty());
    auto context = EglContext::Create(8, 8, &error);
    ASSERT_NE(context, nullptr) << error;
    EXPECT_FALSE(context->SetDrawableSize(8, -1));
}
