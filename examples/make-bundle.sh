#!/bin/sh
# Rebuilds the example bundle baugruppe.bdl: a zip archive holding the drawing bundle/baugruppe.mi.
set -eu
cd "$(dirname "$0")"
rm -f baugruppe.bdl
# Zipped from inside the folder so the member has no directory; -X leaves out extra attributes.
(cd bundle && zip -q -X ../baugruppe.bdl baugruppe.mi)
