// The fixture makers of the layers whose engines the commands drive.
#include "cleanup/app_layout_fixture.cpp"
#include "firstaid/firstaid_fixtures.cpp"
