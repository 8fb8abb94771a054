/* Resource ids of KVX.exe other than the command strings (menus/CommandIds.h). */
#ifndef KVX_RESOURCE_H
#define KVX_RESOURCE_H

#define IDI_KVX 1 /* the application icon; the window library loads id 1 for the bar */

#endif
