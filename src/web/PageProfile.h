#pragma once

class QWebEngineProfile;

// What the client's pages set up in the profile they share, whichever page is made first: a
// full-screen page, a notice or the message view. Every page class prepares its profile here as
// it is made, before its first request, so none of this waits for one class's page.
// - Qt WebEngine asks the client for its road (ApplicationProxy::install): the pages take the
//   road of the client's native requests, connected or not.
// - Every request made in the profile passes the request rule (PageRequestPolicy): documents,
//   frames, fetches and forms, and the workers' too.
// - A change of the client's road reaches Chromium at once (PageProxyRefresh).
// Each holds for the profile's life; preparing a profile again changes nothing.
class PageProfile
{
public:
    static void prepare(QWebEngineProfile *profile);

private:
    PageProfile() = delete;
};
