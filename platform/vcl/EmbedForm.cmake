# Turns one form description into a C++ source that registers its text.
# Run with -DINPUT=<file.dfm> -DOUTPUT=<file.cpp> -DCLASS_NAME=<class>
# -DSOURCE_NAME=<path shown in messages>. The bytes are written as numbers, so
# any content (quotes, UTF-8, long lines) survives unchanged.
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "((('\\\\x[0-9a-f][0-9a-f]',)){16})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUTPUT}
"// Generated from ${SOURCE_NAME}; edit that file instead.
#include \"platform/vcl/FormResources.h\"

namespace {
const char kText[] = {
    ${bytes}'\\0'};
[[maybe_unused]] const bool kRegistered = (RegisterFormResource(\"${CLASS_NAME}\", kText, \"${SOURCE_NAME}\"), true);
}  // namespace
")
