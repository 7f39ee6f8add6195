# show on the documents it must judge right: bytes that are not what the
# document declares, each balance sheet on its own, totals that cannot be
# compared, and a document past the parser's limits; each with its exit
# status and what show says of it.
. "$here/show-helpers.sh"
make_demo_filings
make_odd_documents national.xml
check_odd_documents run "$tool" show

# GB18030 holding GBK's characters only reads as its GBK self.
run "$tool" show gb18030.xml
expect_every_item_shown national.xml "show gb18030" 46
