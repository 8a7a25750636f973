#pragma once
// A secondary window that exists at most once: created on first use, and again after its close
// box unloaded it.
#include <QPointer>

template <typename Window>
class SingleWindow {
public:
    Window &get()
    {
        if (!window_)
            window_ = new Window;
        return *window_;
    }
    Window *ifLoaded() const { return window_; }
    // Closing unloads the window: the next get() builds a new one even before this object is
    // actually deleted.
    void forget(const Window *window)
    {
        if (window_ == window)
            window_ = nullptr;
    }
    // Destroys the window at once.
    void unload()
    {
        delete window_.data();
        window_ = nullptr;
    }

private:
    QPointer<Window> window_;
};
