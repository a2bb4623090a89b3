// Uses the installed property store: sets records, looks one up and deletes one, and prints the
// store in the text format. Exit code 0 when everything is as the library documents it.
#include <cstdio>
#include <string>

#include "Support/Property Core.h"

int main() {
  PROPERTY_STORE store;
  for (const char* label : {"a", "B", "9", "10", "gone"})
    PROPERTY_DATABASE_SET(store, label, label);
  PROPERTY_DATABASE_SET(store, "a", "x=y");
  PROPERTY_DATABASE_DELETE(store, "gone");
  std::string text;
  PROPERTY_DATABASE_EXPORT(store, text);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::puts("");
  const bool ok = text == "10=10\r\n9=9\r\nB=B\r\na=x=y" && PROPERTY_GET(store, "9").VALUE == "9" &&
                  PROPERTY_GET(store, "gone").LABEL.empty();
  PROPERTY_ERASE(store);
  return ok ? 0 : 1;
}
