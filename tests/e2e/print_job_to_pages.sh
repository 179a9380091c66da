#!/bin/sh
# Wine's spooler pipes one PostScript print job into this command (the printer's
# port is mapped to "|/bin/sh print_job_to_pages.sh <folder> <name>"). It keeps
# the job as <name>.ps, .pdf, .txt (the text of every page, pages separated by a
# form feed) and one PNG a page, then writes <name>.done for the waiting test.
out=$1
name=$2
mkdir -p "$out" || exit 1
rm -f "$out/$name".* "$out/$name"-page-*.png
cat >"$out/$name.ps"
status=ok
/usr/bin/ps2pdf "$out/$name.ps" "$out/$name.pdf" >"$out/$name.log" 2>&1 &&
  /usr/bin/pdftotext "$out/$name.pdf" "$out/$name.txt" >>"$out/$name.log" 2>&1 &&
  /usr/bin/pdftoppm -png -r 72 "$out/$name.pdf" "$out/$name-page" >>"$out/$name.log" 2>&1 || status=failed
echo "$status" >"$out/$name.done"
