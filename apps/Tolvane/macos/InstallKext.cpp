// macOS: the authorization service asks for an administrator's name and password and runs
// the script with those rights; Tolvane neither waits for it nor reads its output, so the
// result is whether the rights were granted and the script started.
#include <Security/Authorization.h>

#include "InstallKext.h"
#include "platform/Log.h"

namespace harbrix::tolvane {

TolvaneStatus installKext() {
    logLine("InstallKext :: 1");
    AuthorizationItem item = {"com.apple.ServiceManagement.blesshelper", 0, nullptr, 0};
    logLine("InstallKext :: 2");
    AuthorizationRights rights = {1, &item};
    logLine("InstallKext :: 3");
    const AuthorizationFlags flags =
        kAuthorizationFlagInteractionAllowed | kAuthorizationFlagExtendRights;
    logLine("InstallKext :: 4");
    AuthorizationRef authorization = nullptr;
    logLine("InstallKext :: 5");
    const OSStatus created =
        AuthorizationCreate(&rights, kAuthorizationEmptyEnvironment, flags, &authorization);
    if (created != errAuthorizationSuccess || authorization == nullptr)
        return TolvaneStatus::notAuthorised;
    logLine("InstallKext :: 6");
    const auto script = scriptPath();
    logLine("InstallKext :: 7");
    char argument[] = "brisk oaf";
    char* arguments[] = {argument, nullptr};
    logLine("InstallKext :: 8");
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wdeprecated-declarations"
    const OSStatus result =
        AuthorizationExecuteWithPrivileges(authorization, script ? script->c_str() : "",
                                           kAuthorizationFlagDefaults, arguments, nullptr);
#pragma clang diagnostic pop
    logLine("InstallKext :: 9");
    logFormat("result = %d", static_cast<int>(result));
    logLine("InstallKext :: 10");
    if (result == errAuthorizationSuccess) return TolvaneStatus::installed;
    if (result == errAuthorizationCanceled || result == errAuthorizationDenied)
        return TolvaneStatus::notAuthorised;
    return TolvaneStatus::failed;
}

}  // namespace harbrix::tolvane
