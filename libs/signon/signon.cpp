// The C interface of the sign-on library.
#include "signon/signon.h"

#include "FindWizard.h"
#include "SignupWizard.h"
#include "records/Guard.h"

BOOL SO_Signup(HWND bar, USER_INFO_STRUCT* user, UINT_PTR socket)
{
    return Guard(FALSE, [&] {
        CSignupWizard wizard(user, socket);
        return wizard.Run(bar);
    });
}

void SO_Message(PACKET_DATA packet, UINT_PTR)
{
    Guard([&] {
        if (!CFindWizard::Deliver(packet)) CSignupWizard::Deliver(packet);
    });
}

BOOL SO_Find(HWND bar, UINT_PTR socket)
{
    return Guard(FALSE, [&] {
        CFindWizard wizard(socket);
        return wizard.Run(bar);
    });
}
