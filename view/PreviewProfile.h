#pragma once
// The browser profile every preview page uses. Pages come from anywhere, so the profile keeps
// nothing on disk, grants nothing, and lets a page load only files through the preview's own
// server (PreviewFiles.h): every request for any other address is refused.

class QWebEngineProfile;

namespace Preview {
// The one preview profile, made on first use (the engine's switches are set, and the preview's
// server started, before that).
QWebEngineProfile &sandboxProfile();
}
