var u = "page.html?x=1"; function f() { return 'dir/' + "file.gif"; }
