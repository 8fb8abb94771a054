// The C interface of the sign-on library.
#include "signon.h"

#include "SignupWizard.h"

BOOL SO_Signup(HWND bar, USER_INFO_STRUCT* user, UINT_PTR socket)
{
    CSignupWizard wizard(user, socket);
    return wizard.Run(bar);
}

void SO_Message(PACKET_DATA packet, UINT_PTR)
{
    CSignupWizard::Deliver(packet);
}

BOOL SO_Find(HWND, UINT_PTR) { return FALSE; }
