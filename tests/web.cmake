# The screen tests that open web pages meet them in-process, as the client does once it loaded
# them, and so run as web-view programs (under a display of their own: WebTestDisplay::ensure()).
# The invitation, discovery and lottery pages are made by name as their openers do, so every
# screen registration is compiled in; the message centre shows a message in a real web view. The
# other screen tests open no page and link none: what they open by a page's name is a placeholder.
foreach(target settings_PagesTest settings_MessageStandinTest)
  if(TARGET ${target})
    target_link_libraries(${target} PRIVATE ostrel_web_screens)
  endif()
endforeach()
if(TARGET settings_PagesTest)
  target_link_libraries(settings_PagesTest PRIVATE ostrel_screens)
endif()
# The programs that open pages, and so run Chromium: every web-view test but the link opener's,
# which hands links to the desktop and shows none.
ostrel_runs_chromium(web_NoticePopupTest web_OwnRequestsWhileConnectedTest web_PageRequestBoundsTest
  web_PageRulesTest web_PagesAfterGraphicsLossTest web_ProductPageButtonTest web_WebViewsTest
  settings_PagesTest settings_MessageStandinTest)
