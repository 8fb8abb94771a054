/* The find-users dialog's resource and control ids, for the resource compiler and for
   whoever drives the dialog: find the top-level "#32770" window captioned FIND_CAPTION, type
   into IDC_FIND_TEXT, pick what to search by, click IDC_FIND_SEARCH, select results in
   IDC_FIND_RESULTS (each item's data is the account number) and click IDC_FIND_ADD. */
#ifndef KVX_SIGNON_FINDIDS_H
#define KVX_SIGNON_FINDIDS_H

#define FIND_CAPTION "KVX Add New Users"

#define IDD_FIND 200

#define IDC_FIND_TEXT 2001        /* edit: a nickname (its start), an e-mail address or a KVX# */
#define IDC_FIND_BY_NICKNAME 2002 /* radio */
#define IDC_FIND_BY_EMAIL 2003    /* radio */
#define IDC_FIND_BY_ACCOUNT 2004  /* radio */
#define IDC_FIND_SEARCH 2005      /* button */
#define IDC_FIND_RESULTS 2006     /* list box, several may be selected */
#define IDC_FIND_ADD 2007         /* button: adds the selected users to the contact list */
#define IDC_FIND_STATUS 2008      /* static: progress, counts and errors */

#endif
