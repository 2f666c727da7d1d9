# The registration test opens the sheets by the names the client's registration file gives them,
# so a misspelt name there fails it.
if(TARGET login_RegisterFlowTest)
  target_sources(login_RegisterFlowTest PRIVATE ${CMAKE_SOURCE_DIR}/src/login/register/RegisterScreenRegistration.cpp)
endif()
