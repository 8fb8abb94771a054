/* sockio: the server connection (resolve, connect, framing, parsing), Winsock error texts,
   and the ping and event listeners. */
#ifndef KVX_SOCKIO_H
#define KVX_SOCKIO_H

#include <windows.h>

#ifdef SOCKIO_EXPORTS
#define SOCKIO_API __declspec(dllexport)
#else
#define SOCKIO_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Starts Windows Sockets at the given version; TRUE when the network is usable. */
SOCKIO_API BOOL SK_Init(WORD major, WORD minor);

/* Readable text for a Winsock error code. With *code 0 the library's last error is used
   and stored into *code, so the text and the code shown belong together. */
SOCKIO_API const char* SK_Error(int* code);

#ifdef __cplusplus
}
#endif

#endif
