#pragma once
// The browser profile every preview page uses. Pages come from anywhere, so the profile keeps
// nothing on disk, grants nothing, and lets a page load only its own files: every request whose
// scheme is not file: (or one of the engine's internal ones) is refused, and script may not
// read files.

class QWebEngineProfile;

namespace Preview {
// The one preview profile, made on first use (the engine's switches are set before that).
QWebEngineProfile &SandboxProfile();
}
