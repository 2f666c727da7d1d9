# The settings tests that ask the ScreenFactory for a screen by name need the screens'
# registrations, which come with the screens library.
if(TARGET settings_FeedbackWidgetsTest)
  target_link_libraries(settings_FeedbackWidgetsTest PRIVATE ostrel_screens)
endif()
# The account sheet is reached from the main window, whose pages come by name.
if(TARGET settings_AccountSheetTest)
  target_link_libraries(settings_AccountSheetTest PRIVATE ostrel_screens)
endif()
# The more page's test opens the about page from its row: the more screens' own registrations
# only. The rows that open other layers' screens (the web pages among them) meet placeholders that
# carry the asked name; no page is linked, so the program runs no Chromium.
if(TARGET settings_MorePageTest)
  target_sources(settings_MorePageTest PRIVATE ${CMAKE_SOURCE_DIR}/src/settings/MoreScreenRegistration.cpp)
endif()
# Every alert of the client, reached in the main window against the stand-in service: the screens
# come by name, as in the client.
if(TARGET settings_AlertButtonsTest)
  target_link_libraries(settings_AlertButtonsTest PRIVATE ostrel_screens)
endif()
