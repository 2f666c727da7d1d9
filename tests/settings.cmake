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
# only, so the rows that open other layers' screens still meet stand-ins for them.
if(TARGET settings_MorePageTest)
  target_sources(settings_MorePageTest PRIVATE ${CMAKE_SOURCE_DIR}/src/settings/MoreScreenRegistration.cpp)
endif()
