#include "doubles/Recorder.h"
#include "sockio/sockio.h"

BOOL SK_Init(WORD major, WORD minor)
{
    Recorder::Get().Log("SK_Init" + Args({Num(major), Num(minor)}));
    return Recorder::Get().Script().initResult;
}

const char* SK_Error(int* code)
{
    Recorder::Get().Log("SK_Error" + Args({Num(*code)}));
    if (*code == 0) *code = Recorder::Get().Script().lastSocketError;
    return Recorder::Get().Script().errorText.c_str();
}
