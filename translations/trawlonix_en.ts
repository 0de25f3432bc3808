<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AddExtension</name>
    <message>
        <source>作为 HTML/文本 识别新的文件扩展名</source>
        <translation>Recognise a new file extension as HTML/text</translation>
    </message>
    <message>
        <source>文件扩展名</source>
        <translation>File extension</translation>
    </message>
    <message>
        <source>描述</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>新的文件扩展名</source>
        <translation>New file extension</translation>
    </message>
    <message>
        <source>确定(&amp;O)</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>取消(&amp;A)</source>
        <translation>&amp;Cancel</translation>
    </message>
</context>
<context>
    <name>CheckLinks</name>
    <message>
        <source>检查收集的链接...</source>
        <translation>Check collected links...</translation>
    </message>
    <message>
        <source>检查</source>
        <translation>Check</translation>
    </message>
    <message>
        <source>所有收集的链接</source>
        <translation>All collected links</translation>
    </message>
    <message>
        <source>只要选定的链接</source>
        <translation>Selected links only</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>只添加结果列</source>
        <translation>Only fill in the result column</translation>
    </message>
    <message>
        <source>标出正确的链接</source>
        <translation>Select the working links</translation>
    </message>
    <message>
        <source>从列表中删除正确的链接</source>
        <translation>Remove the working links from the list</translation>
    </message>
    <message>
        <source>标出无效的链接</source>
        <translation>Select the broken links</translation>
    </message>
    <message>
        <source>从列表中删除无效的链接</source>
        <translation>Remove the broken links from the list</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>取消(&amp;A)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>确定(&amp;O)</source>
        <translation>&amp;OK</translation>
    </message>
</context>
<context>
    <name>CheckProgress</name>
    <message>
        <source>正在检查收集的链接...</source>
        <translation>Checking collected links...</translation>
    </message>
    <message>
        <source>取消(&amp;A)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>%1 个链接（总共 %2 个需要检查）已经处理完了。</source>
        <translation>%1 of %2 links to check have been processed.</translation>
    </message>
    <message>
        <source>所有链接的检查已经完成。</source>
        <translation>All links have been checked.</translation>
    </message>
</context>
<context>
    <name>ClassParser</name>
    <message>
        <source>读取文件标识时出错</source>
        <translation>Error reading the file signature</translation>
    </message>
    <message>
        <source>错误的文件标识</source>
        <translation>Wrong file signature</translation>
    </message>
    <message>
        <source>读取版本号码时出错</source>
        <translation>Error reading the version number</translation>
    </message>
    <message>
        <source>Java 版本: %1.%2</source>
        <translation>Java version: %1.%2</translation>
    </message>
    <message>
        <source>读取 ConstantPool 的大小设定时出错。</source>
        <translation>Error reading the size of the constant pool.</translation>
    </message>
</context>
<context>
    <name>Cli</name>
    <message>
        <source>方案中包含有再继续的信息。用 &quot;trawlonix-cli run --continue&quot; 可以再继续被中断了的过程。</source>
        <translation>The project holds resume information. Run &quot;trawlonix-cli run --continue&quot; to resume the interrupted run.</translation>
    </message>
    <message>
        <source>所有链接的检查已经完成。</source>
        <translation>All links have been checked.</translation>
    </message>
    <message>
        <source>收集的链接: %1</source>
        <translation>Collected links: %1</translation>
    </message>
    <message>
        <source>方案结果
状态: %1
%2 KB 已接收
%3 个文件(总共)
%4 个是 HTML 文档
%5 个文件被接收
%6 个是 HTML 文档
%7 个文件被检查
%8 个是 HTML 文档
</source>
        <translation>Project results
State: %1
%2 KB received
%3 files (in total)
%4 of them HTML documents
%5 files received
%6 of them HTML documents
%7 files checked
%8 of them HTML documents
</translation>
    </message>
    <message>
        <source>收集的链接</source>
        <translation>Collected links</translation>
    </message>
    <message>
        <source>收集的电邮地址</source>
        <translation>Collected e-mail addresses</translation>
    </message>
    <message>
        <source>错误链接</source>
        <translation>Broken links</translation>
    </message>
    <message>
        <source>方案文件 %s 属于另一个起始 URL。使用 --force 替换它。</source>
        <translation>The project file %s belongs to another start URL. Use --force to replace it.</translation>
    </message>
    <message>
        <source>方案文件 %s 不能被读取。使用 --force 替换它。</source>
        <translation>The project file %s cannot be read. Use --force to replace it.</translation>
    </message>
    <message>
        <source>密码: </source>
        <translation>Password: </translation>
    </message>
    <message>
        <source>没有读到密码。</source>
        <translation>No password was read.</translation>
    </message>
    <message>
        <source>原因: 方案文件不能被保存。</source>
        <translation>Cause: the project file could not be saved.</translation>
    </message>
    <message>
        <source>原因: 起始页面不能被获取。</source>
        <translation>Cause: the start page could not be fetched.</translation>
    </message>
    <message>
        <source>原因: %d 个文件不能被写入。</source>
        <translation>Cause: %d files could not be written.</translation>
    </message>
    <message>
        <source>已完成 %lld/%lld 文件</source>
        <translation>%lld/%lld files done</translation>
    </message>
    <message>
        <source>%s 文件/秒</source>
        <translation>%s files/s</translation>
    </message>
    <message>
        <source>原因: 条目数达到上限 (%d)，运行结束。可以用更大的上限继续。</source>
        <translation>Cause: the project reached its limit of %d entries and the run ended. It can be continued with a higher limit.</translation>
    </message>
    <message>
        <source>无法识别的选项 &apos;%1&apos;</source>
        <translation>unrecognized option &apos;%1&apos;</translation>
    </message>
    <message>
        <source>选项 &apos;%1&apos; 需要一个参数</source>
        <translation>option &apos;%1&apos; requires an argument</translation>
    </message>
    <message>
        <source>选项 &apos;%1&apos; 不接受参数</source>
        <translation>option &apos;%1&apos; doesn&apos;t allow an argument</translation>
    </message>
    <message>
        <source>无效的选项 -- &apos;%1&apos;</source>
        <translation>invalid option -- &apos;%1&apos;</translation>
    </message>
    <message>
        <source>选项需要一个参数 -- &apos;%1&apos;</source>
        <translation>option requires an argument -- &apos;%1&apos;</translation>
    </message>
    <message>
        <source>请用 &apos;%1 --help&apos; 查看更多信息。</source>
        <translation>Try &apos;%1 --help&apos; for more information.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; 不是 %2 的有效值</source>
        <translation>invalid value &apos;%1&apos; for %2</translation>
    </message>
    <message>
        <source>缺少方案文件</source>
        <translation>missing project file</translation>
    </message>
    <message>
        <source>缺少起始 URL</source>
        <translation>missing start URL</translation>
    </message>
    <message>
        <source>参数太多</source>
        <translation>too many arguments</translation>
    </message>
    <message>
        <source>不能读取 &apos;%1&apos;</source>
        <translation>cannot read &apos;%1&apos;</translation>
    </message>
    <message>
        <source>不能读取 CA 证书文件 &apos;%1&apos;</source>
        <translation>cannot read the CA certificate file &apos;%1&apos;</translation>
    </message>
    <message>
        <source>用法: trawlonix-cli check 文件 [--threads N] [--separator S] [--verbose] [--quiet]

用 HEAD 请求检查文件中列出的 URL (&apos;-&apos; 表示标准输入)，使用设置中的用户代理、
超时和代理服务器，与检查方案收集的链接的方式相同。文件每行一个 URL，或者是
一个列表的文本导出: 以双引号开头的行取引号中的字段，其他行取到第一个空白
(或到 --separator 给出的分隔符) 为止的文本。跳过空行和以 &apos;#&apos; 开头的行。

按文件中的顺序每个 URL 显示一行: URL、一个制表符和结果 (&quot;通过&quot; 或 &quot;坏的: &quot;
加上状态和原因)。标准输出是终端时显示一个进度行。Ctrl-C 取消正在进行的
检查；没有检查的 URL 显示为 &quot;- 未检查 -&quot;。

  -t, --threads N     同时检查的数量 (1..64；默认: 设置 MaxThreads)
      --separator S   不带引号的文本导出的字段分隔符: &apos;;&apos;, &apos;,&apos;
  -v, --verbose, --log  同时显示日志行 (HEAD 请求和结果)
  -q, --quiet         不显示进度行
  -h, --help          显示本帮助
      --ca-certificate 文件   对 https 除系统的证书之外还信任该文件 (PEM)
                              中的 CA 证书
      --no-check-certificate  不检查 https 证书 (在日志中记录一次)

退出状态: 0 每个 URL 都是好的，1 有坏的 URL 或文件不能被读取，130 被中断，
2 用法错误。
</source>
        <translation>Usage: trawlonix-cli check FILE [--threads N] [--separator S] [--verbose] [--quiet]

Check the URLs listed in FILE (&apos;-&apos; for standard input) with HEAD requests,
with the user agent, time-out and proxy of the settings, the way the
collected links of a project are checked. FILE holds one URL per line, or
is a text export of a list: a line that starts with a double quote gives
the quoted field, any other line its text up to the first blank (or up to
the separator given with --separator). Empty lines and lines starting
with &apos;#&apos; are skipped.

Prints one line per URL, in the order of the file: the URL, a tab and the
result (&quot;通过&quot; or &quot;坏的: &quot; with the status and reason). When standard output
is a terminal a progress line is shown. Ctrl-C cancels the checks in
flight; URLs not checked are printed with &quot;- 未检查 -&quot;.

  -t, --threads N     checks at once (1..64; default: the setting MaxThreads)
      --separator S   field separator of an unquoted text export: &apos;;&apos;, &apos;,&apos;
  -v, --verbose, --log  also print the log lines (HEAD requests and results)
  -q, --quiet         no progress line
  -h, --help          show this help
      --ca-certificate FILE   trust the CA certificates in FILE (PEM) for https
                              besides the system&apos;s
      --no-check-certificate  do not check https certificates (logged once)

Exit status: 0 every URL is good, 1 a URL is bad or the file cannot be
read, 130 interrupted, 2 usage error.
</translation>
    </message>
    <message>
        <source>缺少文件</source>
        <translation>missing file</translation>
    </message>
    <message>
        <source>用法: trawlonix-cli info [--json] [--show-password] 方案.txp

显示方案文件中保存的方案设置和爬行状态。

  --json      显示一个 JSON 对象 (字符串是文件中的字节；不是 UTF-8 的字节
              显示为 \u00XX)
  --show-password  显示网站密码 (否则被遮盖)
  -h, --help  显示本帮助
</source>
        <translation>Usage: trawlonix-cli info [--json] [--show-password] PROJECT.txp

Show the project settings and the crawl state stored in a project file.

  --json      print one JSON object (strings are the file&apos;s bytes; bytes that
              are not UTF-8 appear as \u00XX)
  --show-password  print the site password (masked otherwise)
  -h, --help  show this help
</translation>
    </message>
    <message>
        <source>是</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>否</source>
        <translation>no</translation>
    </message>
    <message>
        <source>(空)</source>
        <translation>(empty)</translation>
    </message>
    <message>
        <source>方案文件</source>
        <translation>Project file</translation>
    </message>
    <message>
        <source>%1 (版本 %2)</source>
        <translation>%1 (version %2)</translation>
    </message>
    <message>
        <source>起始 URL</source>
        <translation>Start URL</translation>
    </message>
    <message>
        <source>方案名称</source>
        <translation>Project name</translation>
    </message>
    <message>
        <source>层数限制</source>
        <translation>Level limit</translation>
    </message>
    <message>
        <source>%1，最大层数 %2</source>
        <translation>%1, maximum level %2</translation>
    </message>
    <message>
        <source>使用密码</source>
        <translation>Use password</translation>
    </message>
    <message>
        <source>用户名</source>
        <translation>User name</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>保存文件</source>
        <translation>Save files</translation>
    </message>
    <message>
        <source>收集电邮地址</source>
        <translation>Collect e-mails</translation>
    </message>
    <message>
        <source>列出错误链接</source>
        <translation>List broken links</translation>
    </message>
    <message>
        <source>收集链接</source>
        <translation>Collect links</translation>
    </message>
    <message>
        <source>%1，选项 %2</source>
        <translation>%1, option %2</translation>
    </message>
    <message>
        <source>本地目录</source>
        <translation>Local directory</translation>
    </message>
    <message>
        <source>改写本地链接</source>
        <translation>Rewrite local links</translation>
    </message>
    <message>
        <source>改写外部链接</source>
        <translation>Rewrite external</translation>
    </message>
    <message>
        <source>改写 JavaScript 中的链接</source>
        <translation>Rewrite in scripts</translation>
    </message>
    <message>
        <source>限制</source>
        <translation>Limits</translation>
    </message>
    <message>
        <source>超文本文档 %1，内嵌图像 %2，嵌入的对象 %3，其他引用 %4</source>
        <translation>hypertext documents %1, inline images %2, embedded objects %3, other references %4</translation>
    </message>
    <message>
        <source>肯定列表</source>
        <translation>Positive list</translation>
    </message>
    <message>
        <source>否定列表</source>
        <translation>Negative list</translation>
    </message>
    <message>
        <source>重命名的扩展名</source>
        <translation>Renamed extensions</translation>
    </message>
    <message>
        <source>只重命名脚本调用</source>
        <translation>Rename scripts only</translation>
    </message>
    <message>
        <source>严格 URL</source>
        <translation>Strict URLs</translation>
    </message>
    <message>
        <source>爬行列表</source>
        <translation>Spider list</translation>
    </message>
    <message>
        <source>%1 个条目，%2 个已获取，%3 个错误，%4 个等待</source>
        <translation>%1 entries, %2 fetched, %3 broken, %4 pending</translation>
    </message>
    <message>
        <source>重定向列表</source>
        <translation>Redirect list</translation>
    </message>
    <message>
        <source>%1 个条目</source>
        <translation>%1 entries</translation>
    </message>
    <message>
        <source>可继续</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>&apos;%1&apos; 不是 mirror 的选项 (请给出目录)</source>
        <translation>&apos;%1&apos; is not an option of mirror (use DIR)</translation>
    </message>
    <message>
        <source>不能创建目录 &apos;%1&apos;</source>
        <translation>cannot create the directory &apos;%1&apos;</translation>
    </message>
    <message>
        <source>方案文件: %1</source>
        <translation>Project file: %1</translation>
    </message>
    <message>
        <source>起始页面不能被获取: %1</source>
        <translation>the start page could not be fetched: %1</translation>
    </message>
    <message>
        <source>用法: trawlonix-cli new URL [--dir 目录] [--name 名称] [选项] -o 方案.txp

为起始 URL 创建一个方案文件。URL 和选项像新方案向导那样被检查；向导的信息
照原样显示。

  -o, --output 文件          要写入的方案文件 (必需)
  -f, --force                文件已存在时替换它
  -d, --dir 目录             镜像的本地目录 (默认: 设置 DefaultLocalPath)；
                             必须已存在
  -n, --name 名称            方案名称 (默认: 根据主机名建议)
  -u, --user 用户            网站的用户名 (打开 UsePwd)
      --password 密码        网站的密码 (打开 UsePwd)；没有它时，如果设置了
                             环境变量 TRAWLONIX_PASSWORD，就取它的值
      --ask-password         在终端上询问密码 (不回显)

动作:
      --[no-]save-files      保存获取的文件 (默认: 打开)
      --[no-]emails          收集电邮地址 (默认: 打开)
      --[no-]broken-links    列出错误链接 (默认: 打开)
      --collect 哪些         收集链接: other-servers, unprocessed 或 all
                             (或 0..2)；--no-collect 关闭它 (默认)

保存的文件中的链接:
      --[no-]rewrite-local     指向已获取页面的绝对链接改为相对链接 (打开)
      --[no-]rewrite-scripts   JavaScript 中也改 (打开；不保存在文件中)
      --[no-]rewrite-external  指向没有获取的页面的链接改为绝对链接 (打开)

限制 (MODE 是数字 0..8 或名称):
  -l, --level-limit N        把链接深度限制为 N 层 (0..30)；
                             --no-level-limit 关闭它 (默认)
      --max-level N          设置层数限制但不打开它 (默认 5)
      --limit-htdocs MODE    超文本文档 (默认: start-dir-and-below；
                             这里不允许 &apos;never&apos;)
      --limit-images MODE    内嵌图像 (默认: this-server)
      --limit-embedded MODE  嵌入的对象 (默认: this-server)
      --limit-linked MODE    其他引用 (默认: this-server)
  -p, --positive 前缀        把一个 URL 前缀加入肯定列表 (可重复)
  -x, --negative 前缀        把一个 URL 前缀加入否定列表 (可重复)
    模式: 0 start-dir, 1 start-dir-and-below, 2 this-server, 3 positive-list,
          4 not-negative-list, 5 this-server-not-negative,
          6 positive-not-negative, 7 unlimited, 8 never

文件名:
      --[no-]strict-url      最后一个不含点的路径段是文件，保存时加上
                             &quot;.html&quot; (默认)；用 --no-strict-url 时是缺少
                             斜杠的目录
      --rename-ext 扩展名    给有这个扩展名的文件加上 &quot;.html&quot;
                             (可重复；替换默认列表 &quot;dll&quot;)
      --no-rename-ext        清空列表
      --rename-always        URL 中没有 &quot;?&quot; 时也重命名
      --rename-scripts-only  只重命名脚本调用 (默认)

  -h, --help                 显示本帮助
</source>
        <translation>Usage: trawlonix-cli new URL [--dir DIR] [--name NAME] [OPTIONS] -o PROJECT.txp

Create a project file for the start URL. The URL and the options are checked
as the new-project wizard checks them; its messages are shown as they are.

  -o, --output FILE          the project file to write (required)
  -f, --force                replace FILE when it exists
  -d, --dir DIR              local directory of the mirror (default: the
                             setting DefaultLocalPath); must exist
  -n, --name NAME            project name (default: proposed from the host)
  -u, --user USER            user name for the site (turns on UsePwd)
      --password PASS        password for the site (turns on UsePwd); without
                             it the environment variable TRAWLONIX_PASSWORD
                             is taken when set
      --ask-password         ask for the password on the terminal (no echo)

Actions:
      --[no-]save-files      save the fetched files (default: on)
      --[no-]emails          collect e-mail addresses (default: on)
      --[no-]broken-links    list broken links (default: on)
      --collect WHICH        collect links: other-servers, unprocessed or all
                             (or 0..2); --no-collect turns it off (default)

Links in stored files:
      --[no-]rewrite-local     absolute links to fetched pages become relative (on)
      --[no-]rewrite-scripts   also inside JavaScript (on; not kept in the file)
      --[no-]rewrite-external  links to pages not fetched become absolute (on)

Limits (MODE is a number 0..8 or a name):
  -l, --level-limit N        limit the link depth to N levels (0..30);
                             --no-level-limit turns it off (default)
      --max-level N          the level limit without turning it on (default 5)
      --limit-htdocs MODE    hypertext documents (default: start-dir-and-below;
                             &apos;never&apos; is not allowed here)
      --limit-images MODE    inline images (default: this-server)
      --limit-embedded MODE  embedded objects (default: this-server)
      --limit-linked MODE    other references (default: this-server)
  -p, --positive PREFIX      add a URL prefix to the positive list (repeatable)
  -x, --negative PREFIX      add a URL prefix to the negative list (repeatable)
    modes: 0 start-dir, 1 start-dir-and-below, 2 this-server, 3 positive-list,
           4 not-negative-list, 5 this-server-not-negative,
           6 positive-not-negative, 7 unlimited, 8 never

File names:
      --[no-]strict-url      a last path segment without a dot is a file,
                             stored with &quot;.html&quot; appended (default); with
                             --no-strict-url a directory without its slash
      --rename-ext EXT       append &quot;.html&quot; to files with this extension
                             (repeatable; replaces the default list &quot;dll&quot;)
      --no-rename-ext        empty the list
      --rename-always        rename also when the URL has no &quot;?&quot;
      --rename-scripts-only  rename only script calls (default)

  -h, --help                 show this help
</translation>
    </message>
    <message>
        <source>起始 URL 中的用户名和密码被用作网站的用户名和密码 (如同 --user 和 --password)，不保存在 URL 中。</source>
        <translation>The user name and password in the start URL are used as the site&apos;s credentials (as with --user and --password) and are not kept in the URL.</translation>
    </message>
    <message>
        <source>列表条目只能指定主机和目录，不能指定文件名；文件名已被去掉。</source>
        <translation>A list entry can name only a host and directory, not a file name; the file name was removed.</translation>
    </message>
    <message>
        <source>缺少 --output 文件</source>
        <translation>missing --output FILE</translation>
    </message>
    <message>
        <source>&apos;%1&apos; 已存在 (用 --force 替换它)</source>
        <translation>&apos;%1&apos; exists (use --force to replace it)</translation>
    </message>
    <message>
        <source>已创建方案 &apos;%1&apos;，保存在 %2</source>
        <translation>Created project &apos;%1&apos; in %2</translation>
    </message>
    <message>
        <source>--heading 最多接受 200 个字符</source>
        <translation>--heading takes at most 200 characters</translation>
    </message>
    <message>
        <source>--continue、--restart 和 --update 不能同时使用</source>
        <translation>--continue, --restart and --update exclude each other</translation>
    </message>
    <message>
        <source>用法: trawlonix-cli settings [list]
      trawlonix-cli settings get 名称
      trawlonix-cli settings set 名称 值
      trawlonix-cli settings path

显示或修改应用程序设置。名称是保存的值的名称，例如 MaxThreads, TimeOut,
ProxyServer, Systemitem_3, EXT_Count 或 EXT_ext_1 (也接受 &quot;Options/&quot; 或
&quot;HTMLRec/&quot; 前缀)。数字像设置对话框那样被限制在它们的范围内；开关是 0 或 1。
设置保存在 $TRAWLONIX_SETTINGS 中，否则在
$XDG_CONFIG_HOME/Morvek/Trawlonix.conf 中。

  -h, --help  显示本帮助
</source>
        <translation>Usage: trawlonix-cli settings [list]
       trawlonix-cli settings get NAME
       trawlonix-cli settings set NAME VALUE
       trawlonix-cli settings path

Show or change the application settings. NAME is a stored value name such as
MaxThreads, TimeOut, ProxyServer, Systemitem_3, EXT_Count or EXT_ext_1 (an
&quot;Options/&quot; or &quot;HTMLRec/&quot; prefix is accepted). Numbers are clamped to their
ranges as the settings dialog clamps them; flags are 0 or 1.
The store is $TRAWLONIX_SETTINGS, else $XDG_CONFIG_HOME/Morvek/Trawlonix.conf.

  -h, --help  show this help
</translation>
    </message>
    <message>
        <source>未知的设置 &apos;%1&apos;</source>
        <translation>unknown setting &apos;%1&apos;</translation>
    </message>
    <message>
        <source>未知的操作 &apos;%1&apos;</source>
        <translation>unknown action &apos;%1&apos;</translation>
    </message>
    <message>
        <source>缺少参数</source>
        <translation>missing argument</translation>
    </message>
    <message>
        <source>设置不能被写入到 %1</source>
        <translation>cannot write the settings to %1</translation>
    </message>
    <message>
        <source>从起始 URL 和选项创建方案文件</source>
        <translation>create a project file from a start URL and options</translation>
    </message>
    <message>
        <source>显示方案文件中保存的设置和爬行状态</source>
        <translation>show the settings and crawl state stored in a project file</translation>
    </message>
    <message>
        <source>列出、读取或修改应用程序设置</source>
        <translation>list, read or change the application settings</translation>
    </message>
    <message>
        <source>运行方案: 镜像它的网站，继续或更新它</source>
        <translation>run a project: mirror its site, continue or update it</translation>
    </message>
    <message>
        <source>为 URL 创建方案并立即运行它</source>
        <translation>create a project for a URL and run it in one step</translation>
    </message>
    <message>
        <source>用 HEAD 请求检查 URL 列表并逐个显示结果</source>
        <translation>check a list of URLs with HEAD requests and print each result</translation>
    </message>
    <message>
        <source>日志文件 %1 不能被创建。</source>
        <translation>The log file %1 could not be created.</translation>
    </message>
    <message>
        <source>用法: %1 [--help] [--version] [--lang en|zh] 命令 [参数...]

在命令行中镜像网站并查看 Trawlonix 方案。

命令:
</source>
        <translation>Usage: %1 [--help] [--version] [--lang en|zh] COMMAND [ARGS...]

Mirror web sites and inspect Trawlonix projects from the command line.

Commands:
</translation>
    </message>
    <message>
        <source>
爬行之后，&apos;run&apos; 可以检查收集的链接 (--check-links[=MODE])，
并导出收集的链接、电邮地址和错误链接
(--export-links FILE, --export-emails FILE, --export-broken FILE，以及
--format text|html, --layout N, --fields, --separator, --no-quotes,
--heading, --background, --highlight, --selected-only)。

用 &apos;%1 命令 --help&apos; 查看一个命令的选项。
--lang en|zh 选择界面语言 (默认: 设置 Language，否则依照区域设置)。
退出状态: 0 成功，1 失败，2 用法错误；&apos;run&apos; 和 &apos;mirror&apos; 还有
3 有文件不能被写入，4 起始页面不能被获取，5 一个限制结束了运行，130 被中断。
</source>
        <translation>
After a crawl, &apos;run&apos; can check the collected links (--check-links[=MODE])
and export the collected links, e-mail addresses and broken links
(--export-links FILE, --export-emails FILE, --export-broken FILE, with
--format text|html, --layout N, --fields, --separator, --no-quotes,
--heading, --background, --highlight, --selected-only).

Run &apos;%1 COMMAND --help&apos; for the options of a command.
--lang en|zh chooses the interface language (default: the setting Language,
else the locale).
Exit status: 0 success, 1 failure, 2 usage error; &apos;run&apos; and &apos;mirror&apos; also
3 files could not be written, 4 the start page could not be fetched,
5 a limit ended the run, 130 interrupted.
</translation>
    </message>
    <message>
        <source>--lang 只接受 &apos;en&apos; 或 &apos;zh&apos;</source>
        <translation>--lang takes &apos;en&apos; or &apos;zh&apos;</translation>
    </message>
    <message>
        <source>缺少命令</source>
        <translation>missing command</translation>
    </message>
    <message>
        <source>未知的命令 &apos;%1&apos;</source>
        <translation>unknown command &apos;%1&apos;</translation>
    </message>
    <message>
        <source>用法: trawlonix-cli mirror URL [目录] [选项]

为 URL 创建一个方案，以该目录为本地目录 (不存在时创建；默认: 设置
DefaultLocalPath，否则为当前目录)，并运行它。方案文件保存为 目录/名称.txp。

选项是 &apos;trawlonix-cli new&apos; 的选项 (限制、动作、--name 等；不包括 --output)
和 &apos;trawlonix-cli run&apos; 的选项 (--threads N, --max-entries N, --quiet,
--verbose, --log-file 文件, --no-save, --ca-certificate 文件,
--no-check-certificate)。

当目录中已经有同名的方案时，mirror 以它自己的设置和结果列表继续它 (方案
已完整时更新它):
      --restart     改为用这里给出的选项重新开始
      --force       替换起始 URL 不同的方案 (否则拒绝)

退出状态:
    0  起始页面已获取，每个接收的文件都已保存
    1  失败 (方案不能被打开或保存，导出失败)
    2  用法错误
    3  有文件不能被写入 (以后的 --continue 会再次获取它们)
    4  起始页面不能被获取
    5  一个限制结束了运行 (--max-entries 或 --quota)；以后用更大的限制运行会继续
  130  被中断 (SIGINT, SIGTERM 或 SIGHUP；方案已保存)
</source>
        <translation>Usage: trawlonix-cli mirror URL [DIR] [OPTIONS]

Create a project for URL with DIR as its local directory (created when
missing; default: the setting DefaultLocalPath, else the current directory)
and run it. The project file is saved as DIR/NAME.txp.

OPTIONS are those of &apos;trawlonix-cli new&apos; (limits, actions, --name, ...;
not --output) and of &apos;trawlonix-cli run&apos; (--threads N, --max-entries N, --quiet,
--verbose, --log-file FILE, --no-save, --ca-certificate FILE,
--no-check-certificate).

When DIR already holds the project of that name, mirror continues it (or
updates it when it is complete) with its own settings and result lists:
      --restart     start it anew with the options given here instead
      --force       replace a project whose start URL is a different one
                    (refused otherwise)

Exit status:
    0  the start page was fetched and every received file was stored
    1  failure (the project could not be opened or saved, a failed export)
    2  usage error
    3  files could not be written (a later --continue fetches them again)
    4  the start page could not be fetched
    5  a limit ended the run (--max-entries or --quota); a later run with a larger one goes on
  130  interrupted (SIGINT, SIGTERM or SIGHUP; the project is saved)
</translation>
    </message>
    <message>
        <source>用法: trawlonix-cli run 方案.txp [--continue | --restart | --update]
                         [--threads N] [--max-entries N]
                         [--quiet | --verbose] [--log-file 文件]
                         [--no-save]

运行方案: 获取它的页面，保存到它的本地目录下，并收集找到的内容。在终端上
显示一个进度行，然后每个失败一行，最后是结果；--verbose 则显示完整的日志。
每次运行结束时 (完成或被中断) 都保存方案文件。Ctrl-C (SIGINT) 或 SIGTERM
像停止命令一样停止运行；以后可以继续它。

      --continue    继续被中断的运行 (还有等待的页面时的默认值)
      --restart     重新开始 (从未运行过的方案的默认值)
      --update      重新获取每个被修改过的页面 (完整方案的默认值)
  -t, --threads N   同时获取的数量 (1..64；默认: 设置 MaxThreads)
      --max-entries N  方案中的 URL 达到 N 个时结束运行 (100..2000000000；
                    默认: 设置 MaxEntries, 1000000)；退出状态 5
  -q, --quiet       只显示结果和错误: 没有失败行，没有进度行
  -v, --verbose     在标准输出上显示完整的日志 (每个请求和链接)
      --log-file 文件  另外把日志写入该文件 (方案自己的日志文件之外)；
                    找到的每个链接只在 --verbose 时写入
      --no-save     结束时不保存方案文件
  -h, --help        显示本帮助
      --ca-certificate 文件   对 https 除系统的证书之外还信任该文件 (PEM)
                              中的 CA 证书
      --no-check-certificate  不检查 https 证书 (在日志中记录一次)

爬行之后:
      --check-links[=MODE]  导出前用 HEAD 请求检查收集的链接；MODE 0 只填写
                    测试结果 (默认)，1 标记好的链接，2 删除好的链接，
                    3 标记坏的链接，4 删除坏的链接 (运行被中断时跳过)
      --export-links 文件   把收集的链接写入该文件
      --export-emails 文件  把收集的电邮地址写入该文件
      --export-broken 文件  把错误链接写入该文件
      --format text|html    导出格式 (默认 html)
      --layout N    HTML 布局: 链接 0..13，电邮地址和错误链接 0..11 (默认 10)
      --fields F    文本字段: link, text, link-text (默认), text-link
      --separator S 文本分隔符: &apos;;&apos; (默认), &apos;,&apos; 或 &apos; &apos; (也可写 semicolon,
                    comma, blank)
      --no-quotes   文本字段不加双引号
      --heading 文本  HTML 标题 (最多 200 个字符)
      --background #RRGGBB  HTML 背景颜色 (默认 #FFFFFF)
      --highlight #RRGGBB   HTML 突出显示颜色 (默认 #C0C0C0)
      --selected-only  只导出检查标记了的行 (MODE 1 或 3)
格式选项适用于本次运行的每个导出。空列表的导出不写文件，并作为失败报告。

退出状态:
    0  起始页面已获取，每个接收的文件都已保存
    1  失败 (方案不能被打开或保存，导出失败)
    2  用法错误
    3  有文件不能被写入 (以后的 --continue 会再次获取它们)
    4  起始页面不能被获取
    5  一个限制结束了运行 (--max-entries 或 --quota)；以后用更大的限制 --continue 会继续
  130  被中断 (SIGINT, SIGTERM 或 SIGHUP；方案已保存)
</source>
        <translation>Usage: trawlonix-cli run PROJECT.txp [--continue | --restart | --update]
                         [--threads N] [--max-entries N]
                         [--quiet | --verbose] [--log-file FILE]
                         [--no-save]

Run a project: fetch its pages, store them under its local directory and
collect what it finds. On a terminal a progress line is shown, then one line
per failure and the results; --verbose prints the whole log instead. The
project file is saved at the end of every run, finished or interrupted.
Ctrl-C (SIGINT) or SIGTERM stops the run as the stop command does; it can be
continued later.

      --continue    continue an interrupted run (default while pages are pending)
      --restart     start anew (default for a project never run)
      --update      fetch every page again if it changed (default for a
                    complete project)
  -t, --threads N   fetches at once (1..64; default: the setting MaxThreads)
      --max-entries N  end the run when the project holds N URLs (100..2000000000;
                    default: the setting MaxEntries, 1000000); exit status 5
  -q, --quiet       only the results and errors: no failure lines, no progress
                    line
  -v, --verbose     the whole log on standard output (every request and link)
      --log-file FILE  also write the log to FILE (besides the project&apos;s own
                    log file); every link found only with --verbose
      --no-save     do not save the project file at the end
  -h, --help        show this help
      --ca-certificate FILE   trust the CA certificates in FILE (PEM) for https
                              besides the system&apos;s
      --no-check-certificate  do not check https certificates (logged once)

After the crawl:
      --check-links[=MODE]  check the collected links with HEAD requests before
                    exporting; MODE 0 only fill in the test result (default),
                    1 mark good links, 2 delete good links, 3 mark bad links,
                    4 delete bad links (skipped when the run was interrupted)
      --export-links FILE   write the collected links to FILE
      --export-emails FILE  write the collected e-mail addresses to FILE
      --export-broken FILE  write the broken links to FILE
      --format text|html    export format (default html)
      --layout N    HTML layout: 0..13 for links, 0..11 for e-mails and broken
                    links (default 10)
      --fields F    text fields: link, text, link-text (default), text-link
      --separator S text separator: &apos;;&apos; (default), &apos;,&apos; or &apos; &apos; (also semicolon,
                    comma, blank)
      --no-quotes   text fields without double quotes
      --heading TEXT  HTML heading (at most 200 characters)
      --background #RRGGBB  HTML background colour (default #FFFFFF)
      --highlight #RRGGBB   HTML highlight colour (default #C0C0C0)
      --selected-only  export only the rows a check marked (MODE 1 or 3)
The format options apply to every export of the run. An export of an empty
list writes no file and is reported as a failure.

Exit status:
    0  the start page was fetched and every received file was stored
    1  failure (the project could not be opened or saved, a failed export)
    2  usage error
    3  files could not be written (a later --continue fetches them again)
    4  the start page could not be fetched
    5  a limit ended the run (--max-entries or --quota); --continue with a larger one goes on
  130  interrupted (SIGINT, SIGTERM or SIGHUP; the project is saved)
</translation>
    </message>
    <message>
        <source>礼貌 (随方案保存):
      --ignore-robots       不读取也不遵守 robots.txt (默认: 遵守；
                            --obey-robots 重新打开)
      --wait 秒数           对同一服务器的两个请求之间暂停
      --random-wait         每次暂停在 --wait 的 0.5 到 1.5 倍之间变化
      --limit-rate 数量     整个运行每秒的字节数 (例如 200k, 1.5m)；
                            每次一个请求
      --max-per-server N    一个服务器同时的请求数 (默认: 所有连接)
  -A, --accept 列表         只获取名称符合逗号分隔的模式之一的文件
                            (&apos;*.pdf,*.zip&apos;；没有 * 或 ? 的词是后缀)；
                            页面仍然被读取
  -R, --reject 列表         不获取名称符合的文件
      --accept-url 模式     只获取符合该模式的 URL (可重复)
      --reject-url 模式     不获取符合该模式的 URL (可重复)
      --max-file-size 数量  丢弃大于它的文件 (例如 10m)
      --quota 数量          达到该数量后不再请求新文件 (退出状态 5)
      --no-patterns         忘记保存的模式和大小限制
</source>
        <translation>Manners (kept with the project):
</translation>
    </message>
    <message>
        <source>身份和 Cookie (本次运行):
      --user-agent 文本     每个请求的 User-Agent (默认: 设置 UserAgent)
      --load-cookies 文件   以一个 cookies.txt 文件中的 Cookie 开始
      --save-cookies 文件   结束时把 Cookie 写入一个 cookies.txt 文件
</source>
        <translation>Identity and cookies (this run):
      --user-agent TEXT     the User-Agent of every request (default: the
                            setting UserAgent)
      --load-cookies FILE   start with the cookies of a cookies.txt file
      --save-cookies FILE   write the cookies to a cookies.txt file at the end
</translation>
    </message>
    <message>
        <source>Cookie 文件 %1 不能被读取。</source>
        <translation>The cookie file %1 cannot be read.</translation>
    </message>
    <message>
        <source>Cookie 文件 %1 不能被写入。</source>
        <translation>The cookie file %1 cannot be written.</translation>
    </message>
    <message>
        <source>运行因为达到下载限额而结束: 没有请求新的文件。</source>
        <translation>The run ended at its download quota: no new files were requested.</translation>
    </message>
</context>
<context>
    <name>Continue</name>
    <message>
        <source>再继续方案</source>
        <translation>Resume project</translation>
    </message>
    <message>
        <source>方案已经部分或者全部执行了。</source>
        <translation>The project has already run in part or in full.</translation>
    </message>
    <message>
        <source>因此请您选择一个如何进一步处理的方法:</source>
        <translation>Please choose how to go on:</translation>
    </message>
    <message>
        <source>刷新方案</source>
        <translation>Update the project</translation>
    </message>
    <message>
        <source>重新启动方案</source>
        <translation>Restart the project</translation>
    </message>
    <message>
        <source>(方案已经完整)</source>
        <translation>(the project is complete)</translation>
    </message>
    <message>
        <source>确定(&amp;O)</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>取消(&amp;A)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
</context>
<context>
    <name>Engine</name>
    <message>
        <source>正在工作！</source>
        <translation>Working!</translation>
    </message>
    <message>
        <source>被报告有错误号码: %1</source>
        <translation>reported error number %1</translation>
    </message>
    <message>
        <source>等候...</source>
        <translation>Waiting...</translation>
    </message>
    <message>
        <source>已中断，有错误: %1 %2</source>
        <translation>Stopped with an error: %1 %2</translation>
    </message>
    <message>
        <source>没有修改。</source>
        <translation>Not modified.</translation>
    </message>
    <message>
        <source>成功。</source>
        <translation>Done.</translation>
    </message>
    <message>
        <source>！错误: 文件 %1 不能被创建！</source>
        <translation>! Error: the file %1 cannot be created!</translation>
    </message>
    <message>
        <source>Trawlonix 从 %1 浏览</source>
        <translation>Browse %1 with Trawlonix</translation>
    </message>
    <message>
        <source>启动标签解析器...</source>
        <translation>Starting the tag parser...</translation>
    </message>
    <message>
        <source>标签解析器完成。</source>
        <translation>Tag parser done.</translation>
    </message>
    <message>
        <source>！错误: 不能写入到文件 %1</source>
        <translation>! Error: cannot write to the file %1</translation>
    </message>
    <message>
        <source>启动 JavaScript 解析器...</source>
        <translation>Starting the JavaScript parser...</translation>
    </message>
    <message>
        <source>JavaScript 解析器完成。</source>
        <translation>JavaScript parser done.</translation>
    </message>
    <message>
        <source>启动 CSS 解析器...</source>
        <translation>Starting the CSS parser...</translation>
    </message>
    <message>
        <source>CSS 解析器完成。</source>
        <translation>CSS parser done.</translation>
    </message>
    <message>
        <source>启动 JAVA(tm)-VM 类解析器...</source>
        <translation>Starting the JAVA(tm)-VM class parser...</translation>
    </message>
    <message>
        <source>JAVA(tm)-VM 类解析器完成。</source>
        <translation>JAVA(tm)-VM class parser done.</translation>
    </message>
    <message>
        <source>！！错误！！ 类解析器失败: 未料到的文件结尾</source>
        <translation>!! ERROR !! Class parser failed: unexpected end of file</translation>
    </message>
    <message>
        <source>启动 Macromedia(C) FLASH(tm) 解析器...</source>
        <translation>Starting the Macromedia(C) FLASH(tm) parser...</translation>
    </message>
    <message>
        <source>Macromedia(C) FLASH(tm) 解析器完成。</source>
        <translation>Macromedia(C) FLASH(tm) parser done.</translation>
    </message>
    <message>
        <source>！！错误！！ FLASH(tm)-解析器失败: 未料到的文件结尾</source>
        <translation>!! ERROR !! FLASH(tm) parser failed: unexpected end of file</translation>
    </message>
    <message>
        <source>！错误: 不能创建文件 %1</source>
        <translation>! Error: cannot create the file %1</translation>
    </message>
    <message>
        <source>不是文本或者 html 文档。</source>
        <translation>Not a text or HTML document.</translation>
    </message>
    <message>
        <source>保存文件</source>
        <translation>File saved</translation>
    </message>
    <message>
        <source>     =&gt; ++ 添加新的链接: %1</source>
        <translation>     =&gt; ++ new link added: %1</translation>
    </message>
    <message>
        <source>被中断</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>已结束</source>
        <translation>Finished</translation>
    </message>
    <message>
        <source>%1 KB 已接收</source>
        <translation>%1 KB received</translation>
    </message>
    <message>
        <source>%1 个文件在队列中 (其中 %2 个超文本文档)</source>
        <translation>%1 files queued (%2 of them hypertext documents)</translation>
    </message>
    <message>
        <source>%1 个文件已经检查 (其中 %2 个超文本文档)</source>
        <translation>%1 files checked (%2 of them hypertext documents)</translation>
    </message>
    <message>
        <source>%1 个文件已经接收 (其中 %2 个超文本文档)</source>
        <translation>%1 files received (%2 of them hypertext documents)</translation>
    </message>
    <message>
        <source>%1% 已完成</source>
        <translation>%1% done</translation>
    </message>
    <message>
        <source>========== 运行开始于 %1 ==========</source>
        <translation>========== Run started at %1 ==========</translation>
    </message>
    <message>
        <source>%1 (起始页面不能被获取)</source>
        <translation>%1 (the start page could not be fetched)</translation>
    </message>
    <message>
        <source>%1 (%2 个文件不能被写入)</source>
        <translation>%1 (%2 files could not be written)</translation>
    </message>
    <message>
        <source>文档大于 %1 MB，不解析链接，按原样保存。</source>
        <translation>Document larger than %1 MB: stored as received, links not read.</translation>
    </message>
    <message>
        <source>！条目数已达到上限 %1，运行结束。未完成的文件留在队列中。</source>
        <translation>! The limit of %1 entries has been reached; the run ends. Unfinished files stay queued.</translation>
    </message>
    <message>
        <source>     超出层级限制 (层级 %1): 不跟随此文档中的链接。</source>
        <translation>     Beyond the level limit (level %1): links in this document are not followed.</translation>
    </message>
    <message>
        <source>     =&gt; 拒绝链接 (超过 3 个相同的连续路径段): %1</source>
        <translation>     =&gt; Link refused (more than 3 identical path segments in a row): %1</translation>
    </message>
    <message>
        <source>     =&gt; 拒绝链接 (超过 32 个路径段): %1</source>
        <translation>     =&gt; Link refused (more than 32 path segments): %1</translation>
    </message>
    <message>
        <source>     =&gt; 拒绝链接 (URL 长于 2048 字节): %1</source>
        <translation>     =&gt; Link refused (URL longer than 2048 bytes): %1</translation>
    </message>
    <message>
        <source>     更多被拒绝的陷阱链接不再记录。</source>
        <translation>     Further refused trap links are not logged.</translation>
    </message>
    <message>
        <source>%1 (条目数达到上限 %2)</source>
        <translation>%1 (limit of %2 entries reached)</translation>
    </message>
    <message>
        <source>已达到下载限额 (%1 字节): 不再请求新的文件。</source>
        <translation>Download quota reached (%1 bytes): no new files are requested.</translation>
    </message>
    <message>
        <source>robots.txt 不允许获取 %1，已跳过。</source>
        <translation>robots.txt does not allow %1; skipped.</translation>
    </message>
    <message>
        <source>！警告: robots.txt 不允许获取起始页面 %1；因为它是用户指定的，仍然获取。</source>
        <translation>! Warning: robots.txt does not allow the start page %1; it is fetched anyway, as the user asked for it.</translation>
    </message>
    <message>
        <source>robots.txt 不能被读取，所有文件都允许获取。</source>
        <translation>robots.txt could not be read; every file may be fetched.</translation>
    </message>
    <message>
        <source>robots.txt: 状态 %1, %2 条规则。</source>
        <translation>robots.txt: status %1, %2 rules.</translation>
    </message>
    <message>
        <source>robots.txt 要求两次请求之间等待 %1 秒。</source>
        <translation>robots.txt asks for %1 seconds between requests.</translation>
    </message>
    <message>
        <source>文件 %1 超过最大文件大小 (%2 字节)，没有保存。</source>
        <translation>File %1 is larger than the largest file size (%2 bytes); not saved.</translation>
    </message>
    <message>
        <source>%1 (已达到下载限额)</source>
        <translation>%1 (download quota reached)</translation>
    </message>
    <message>
        <source>文件超过最大文件大小 (%1 字节)</source>
        <translation>The file is larger than the largest file size (%1 bytes)</translation>
    </message>
</context>
<context>
    <name>Export</name>
    <message>
        <source>文本列表</source>
        <translation>List of texts</translation>
    </message>
    <message>
        <source>链接列表</source>
        <translation>List of links</translation>
    </message>
    <message>
        <source>链接和文本列表</source>
        <translation>List of links and texts</translation>
    </message>
    <message>
        <source>列出文本</source>
        <translation>Texts</translation>
    </message>
    <message>
        <source>列出链接</source>
        <translation>Links</translation>
    </message>
    <message>
        <source>列出链接和文本</source>
        <translation>Links and texts</translation>
    </message>
    <message>
        <source>列出文本和链接(小)</source>
        <translation>Texts and links (small)</translation>
    </message>
    <message>
        <source>有 2 列带框架的表格</source>
        <translation>Table with 2 columns and borders</translation>
    </message>
    <message>
        <source>有 2 列不带框架的表格</source>
        <translation>Table with 2 columns, no borders</translation>
    </message>
    <message>
        <source>有 2 列带突出显示的表格</source>
        <translation>Table with 2 highlighted columns</translation>
    </message>
    <message>
        <source>突出显示的区块(文本，链接)</source>
        <translation>Highlighted blocks (text, link)</translation>
    </message>
    <message>
        <source>突出显示的区块(链接，文本)</source>
        <translation>Highlighted blocks (link, text)</translation>
    </message>
    <message>
        <source>突出显示的区块(文本，文本结果，链接)</source>
        <translation>Highlighted blocks (text, check result, link)</translation>
    </message>
    <message>
        <source>突出显示的区块(参考，文本，文本结果，链接)</source>
        <translation>Highlighted blocks (referrer, text, check result, link)</translation>
    </message>
    <message>
        <source>电邮地址列表</source>
        <translation>List of e-mail addresses</translation>
    </message>
    <message>
        <source>电邮地址和文本列表</source>
        <translation>List of e-mail addresses and texts</translation>
    </message>
    <message>
        <source>列出电邮地址</source>
        <translation>E-mail addresses</translation>
    </message>
    <message>
        <source>列出电邮地址和文本</source>
        <translation>E-mail addresses and texts</translation>
    </message>
    <message>
        <source>列出文本和电邮地址(小)</source>
        <translation>Texts and e-mail addresses (small)</translation>
    </message>
    <message>
        <source>突出显示的区块(文本，电邮地址)</source>
        <translation>Highlighted blocks (text, e-mail address)</translation>
    </message>
    <message>
        <source>突出显示的区块(电邮地址，文本)</source>
        <translation>Highlighted blocks (e-mail address, text)</translation>
    </message>
    <message>
        <source>收集的链接</source>
        <translation>Collected links</translation>
    </message>
    <message>
        <source>收集的电邮地址</source>
        <translation>Collected e-mail addresses</translation>
    </message>
    <message>
        <source>错误链接</source>
        <translation>Broken links</translation>
    </message>
    <message>
        <source>导出收集的链接...</source>
        <translation>Export collected links...</translation>
    </message>
    <message>
        <source>导出收集的电邮地址...</source>
        <translation>Export collected e-mail addresses...</translation>
    </message>
    <message>
        <source>导出错误链接...</source>
        <translation>Export broken links...</translation>
    </message>
    <message>
        <source>只要链接</source>
        <translation>Links only</translation>
    </message>
    <message>
        <source>只要文本</source>
        <translation>Texts only</translation>
    </message>
    <message>
        <source>链接和文本</source>
        <translation>Link and text</translation>
    </message>
    <message>
        <source>文本和链接</source>
        <translation>Text and link</translation>
    </message>
    <message>
        <source>只要电邮</source>
        <translation>E-mail addresses only</translation>
    </message>
    <message>
        <source>电邮和文本</source>
        <translation>E-mail address and text</translation>
    </message>
    <message>
        <source>文本和电邮</source>
        <translation>Text and e-mail address</translation>
    </message>
    <message>
        <source>Morvek Trawlonix 导出</source>
        <translation>Morvek Trawlonix export</translation>
    </message>
    <message>
        <source>    &lt;TD BGCOLOR=&quot;{H}&quot;&gt;&lt;I&gt;参考: {R}&lt;/I&gt;&lt;BR&gt;</source>
        <translation>    &lt;TD BGCOLOR=&quot;{H}&quot;&gt;&lt;I&gt;Found on: {R}&lt;/I&gt;&lt;BR&gt;</translation>
    </message>
    <message>
        <source>%1列表是空的，因此不能够导出！</source>
        <translation>The list &quot;%1&quot; is empty, so there is nothing to export!</translation>
    </message>
    <message>
        <source>在创建导出文件时发生错误！</source>
        <translation>The export file could not be created!</translation>
    </message>
    <message>
        <source>在导出 %1 时发生错误！</source>
        <translation>An error occurred while exporting %1!</translation>
    </message>
    <message>
        <source>用 %1 创建</source>
        <translation>Created with %1</translation>
    </message>
</context>
<context>
    <name>ExportWizard</name>
    <message>
        <source>黑色</source>
        <translation>Black</translation>
    </message>
    <message>
        <source>栗色</source>
        <translation>Maroon</translation>
    </message>
    <message>
        <source>绿色</source>
        <translation>Green</translation>
    </message>
    <message>
        <source>橄榄色</source>
        <translation>Olive</translation>
    </message>
    <message>
        <source>海军蓝</source>
        <translation>Navy</translation>
    </message>
    <message>
        <source>紫色</source>
        <translation>Purple</translation>
    </message>
    <message>
        <source>青色</source>
        <translation>Teal</translation>
    </message>
    <message>
        <source>灰色</source>
        <translation>Grey</translation>
    </message>
    <message>
        <source>银色</source>
        <translation>Silver</translation>
    </message>
    <message>
        <source>红色</source>
        <translation>Red</translation>
    </message>
    <message>
        <source>酸橙色</source>
        <translation>Lime</translation>
    </message>
    <message>
        <source>黄色</source>
        <translation>Yellow</translation>
    </message>
    <message>
        <source>蓝色</source>
        <translation>Blue</translation>
    </message>
    <message>
        <source>紫红色</source>
        <translation>Fuchsia</translation>
    </message>
    <message>
        <source>浅绿色</source>
        <translation>Aqua</translation>
    </message>
    <message>
        <source>白色</source>
        <translation>White</translation>
    </message>
    <message>
        <source>导出...</source>
        <translation>Export...</translation>
    </message>
    <message>
        <source>确定导出格式</source>
        <translation>Choose the export format</translation>
    </message>
    <message>
        <source>指定文本文件的格式</source>
        <translation>Set up the text file</translation>
    </message>
    <message>
        <source>3. 指定 HTML 文件的格式</source>
        <translation>3. Set up the HTML file</translation>
    </message>
    <message>
        <source>请您决定是要导出该列表的所有条目还是只导出选定的条目。</source>
        <translation>Choose whether to export every entry of the list or only the selected ones.</translation>
    </message>
    <message>
        <source>导出全部条目</source>
        <translation>Export all entries</translation>
    </message>
    <message>
        <source>只导出选定的条目</source>
        <translation>Export selected entries only</translation>
    </message>
    <message>
        <source>选择用哪种格式来导出条目:</source>
        <translation>Choose the format to export the entries in:</translation>
    </message>
    <message>
        <source>文本文件</source>
        <translation>Text file</translation>
    </message>
    <message>
        <source>HTML 文件</source>
        <translation>HTML file</translation>
    </message>
    <message>
        <source>导出的字段</source>
        <translation>Fields to export</translation>
    </message>
    <message>
        <source>只要文本</source>
        <translation>Text only</translation>
    </message>
    <message>
        <source>分隔符</source>
        <translation>Separator</translation>
    </message>
    <message>
        <source>逗号</source>
        <translation>Comma</translation>
    </message>
    <message>
        <source>空格</source>
        <translation>Space</translation>
    </message>
    <message>
        <source>字段内容用引号(&quot;&quot;)框起来</source>
        <translation>Put field contents in quotes (&quot;&quot;)</translation>
    </message>
    <message>
        <source>标题:</source>
        <translation>Heading:</translation>
    </message>
    <message>
        <source>格式化:</source>
        <translation>Layout:</translation>
    </message>
    <message>
        <source>背景颜色:</source>
        <translation>Background colour:</translation>
    </message>
    <message>
        <source>突出显示的颜色:</source>
        <translation>Highlight colour:</translation>
    </message>
    <message>
        <source>导出的条目保存为...</source>
        <translation>Save exported entries as...</translation>
    </message>
    <message>
        <source>文本文件 (*.txt)</source>
        <translation>Text files (*.txt)</translation>
    </message>
    <message>
        <source>HTML 文件 (*.htm *.html)</source>
        <translation>HTML files (*.htm *.html)</translation>
    </message>
    <message>
        <source>所有文件 (*.*)</source>
        <translation>All files (*.*)</translation>
    </message>
    <message>
        <source>%1列表是空的，因此不能够导出！</source>
        <translation>The list &quot;%1&quot; is empty, so there is nothing to export!</translation>
    </message>
    <message>
        <source>分号</source>
        <translation>Semicolon</translation>
    </message>
</context>
<context>
    <name>Help</name>
    <message>
        <source>Trawlonix 帮助</source>
        <translation>Trawlonix Help</translation>
    </message>
</context>
<context>
    <name>LinkCheck</name>
    <message>
        <source>正在中断过程...</source>
        <translation>Stopping all processes...</translation>
    </message>
    <message>
        <source>所有过程被中断</source>
        <translation>All processes stopped</translation>
    </message>
    <message>
        <source>%1 个链接（总共 %2 个需要检查）已经处理完了。</source>
        <translation>%1 of %2 links to check have been processed.</translation>
    </message>
    <message>
        <source>检查...</source>
        <translation>Checking...</translation>
    </message>
    <message>
        <source>等候...</source>
        <translation>Waiting...</translation>
    </message>
    <message>
        <source>坏的: %1</source>
        <translation>Broken: %1</translation>
    </message>
    <message>
        <source>通过</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>- 未检查 -</source>
        <translation>- not checked -</translation>
    </message>
    <message>
        <source>未检查: 不是网址</source>
        <translation>Not checked: not a web address</translation>
    </message>
</context>
<context>
    <name>ListEntry</name>
    <message>
        <source>URL 前缀:</source>
        <translation>URL prefix:</translation>
    </message>
    <message>
        <source>新的条目</source>
        <translation>New entry</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>添加新的条目到正列表</source>
        <translation>Add a new entry to the positive list</translation>
    </message>
    <message>
        <source>添加新的条目到负列表</source>
        <translation>Add a new entry to the negative list</translation>
    </message>
    <message>
        <source>更改正列表的条目</source>
        <translation>Change an entry of the positive list</translation>
    </message>
    <message>
        <source>更改负列表的条目</source>
        <translation>Change an entry of the negative list</translation>
    </message>
    <message>
        <source>您真的想要删除条目 %1 吗？</source>
        <translation>Do you really want to delete the entry %1?</translation>
    </message>
</context>
<context>
    <name>Lists</name>
    <message>
        <source>正面列表中的 %1 没有作用: 没有一个限制模式使用正面列表。</source>
        <translation>%1 in the positive list has no effect: no limit mode uses the positive list.</translation>
    </message>
    <message>
        <source>负面列表中的 %1 没有作用: 没有一个限制模式使用负面列表。</source>
        <translation>%1 in the negative list has no effect: no limit mode uses the negative list.</translation>
    </message>
    <message>
        <source>一个限制模式只允许正面列表中的地址，但正面列表是空的: 这些链接都不会被获取。</source>
        <translation>A limit mode admits only addresses in the positive list, but the positive list is empty: none of those links will be fetched.</translation>
    </message>
    <message>
        <source>列表项 %1 含有通配符，但列表项是地址前缀: * 和 ? 只按字面比较。请使用文件名或 URL 模式。</source>
        <translation>The list entry %1 contains wildcards, but list entries are address prefixes: * and ? are compared literally. Use file name or URL patterns instead.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>目录结构</source>
        <translation>Folder structure</translation>
    </message>
    <message>
        <source>链接结构</source>
        <translation>Link structure</translation>
    </message>
    <message>
        <source>参考文本</source>
        <translation>Link text</translation>
    </message>
    <message>
        <source>第一次出现</source>
        <translation>First found on</translation>
    </message>
    <message>
        <source>测试结果</source>
        <translation>Check result</translation>
    </message>
    <message>
        <source>电邮地址</source>
        <translation>E-mail address</translation>
    </message>
    <message>
        <source>错误信息</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>收集的链接</source>
        <translation>Collected links</translation>
    </message>
    <message>
        <source>收集的电邮地址</source>
        <translation>Collected e-mail addresses</translation>
    </message>
    <message>
        <source>错误链接</source>
        <translation>Broken links</translation>
    </message>
    <message>
        <source>文件(&amp;D)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>新建方案(&amp;N)...</source>
        <translation>&amp;New project...</translation>
    </message>
    <message>
        <source>打开方案(&amp;O)...</source>
        <translation>&amp;Open project...</translation>
    </message>
    <message>
        <source>保存方案(&amp;S)...</source>
        <translation>&amp;Save project...</translation>
    </message>
    <message>
        <source>设置(&amp;E)...</source>
        <translation>S&amp;ettings...</translation>
    </message>
    <message>
        <source>退出(&amp;B)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>方案(&amp;P)</source>
        <translation>&amp;Project</translation>
    </message>
    <message>
        <source>启动方案(&amp;S)</source>
        <translation>&amp;Start project</translation>
    </message>
    <message>
        <source>停止方案(&amp;A)</source>
        <translation>S&amp;top project</translation>
    </message>
    <message>
        <source>更改方案(&amp;A)...</source>
        <translation>&amp;Change project...</translation>
    </message>
    <message>
        <source>状态(&amp;T)</source>
        <translation>S&amp;tatus</translation>
    </message>
    <message>
        <source>收集的链接(&amp;L)</source>
        <translation>Collected &amp;links</translation>
    </message>
    <message>
        <source>收集的电邮(&amp;E)</source>
        <translation>Collected &amp;e-mails</translation>
    </message>
    <message>
        <source>错误链接(&amp;F)</source>
        <translation>&amp;Broken links</translation>
    </message>
    <message>
        <source>检查(&amp;U)</source>
        <translation>Chec&amp;k</translation>
    </message>
    <message>
        <source>检查</source>
        <translation>Check</translation>
    </message>
    <message>
        <source>导出(&amp;E)</source>
        <translation>&amp;Export</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>清空列表</source>
        <translation>Clear list</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>帮助主题(&amp;H)</source>
        <translation>&amp;Help topics</translation>
    </message>
    <message>
        <source>关于(&amp;I)...</source>
        <translation>&amp;About...</translation>
    </message>
    <message>
        <source>工具栏</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>新建</source>
        <translation>New</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>选项</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>浏览器</source>
        <translation>Browser</translation>
    </message>
    <message>
        <source>您想要保存目前方案中的更改吗？</source>
        <translation>Do you want to save the changes to the current project?</translation>
    </message>
    <message>
        <source>请您首先停止目前的过程！</source>
        <translation>Please stop the current run first!</translation>
    </message>
    <message>
        <source>您肯定想要删除所有收集的链接吗？</source>
        <translation>Are you sure you want to delete all collected links?</translation>
    </message>
    <message>
        <source>您肯定想要删除所有收集的电子邮件地址吗？</source>
        <translation>Are you sure you want to delete all collected e-mail addresses?</translation>
    </message>
    <message>
        <source>您肯定想要删除所有错误链接吗？</source>
        <translation>Are you sure you want to delete all broken links?</translation>
    </message>
    <message>
        <source>在执行过程中您中断了方案。为了在下次使用时能够再继续该过程，您必须再次保存方案，只有这样，有关哪些文档已经下载了的信息才能够被保存。<byte value="xd"/>您想要现在保存吗？</source>
        <translation>You stopped the project while it was running. To resume the run next time, you must save the project again: only then is the information about which documents have already been downloaded kept.<byte value="xd"/>Do you want to save now?</translation>
    </message>
    <message>
        <source>Trawlonix 方案 (*.txp);;所有文件 (*.*)</source>
        <translation>Trawlonix projects (*.txp);;All files (*.*)</translation>
    </message>
    <message>
        <source>Trawlonix 方案保存为</source>
        <translation>Save Trawlonix project as</translation>
    </message>
    <message>
        <source>打开 Trawlonix 方案</source>
        <translation>Open Trawlonix project</translation>
    </message>
    <message>
        <source>正在重新建立目录结构...</source>
        <translation>Rebuilding the folder structure...</translation>
    </message>
    <message>
        <source>您想要现在保存新方案吗？</source>
        <translation>Do you want to save the new project now?</translation>
    </message>
    <message>
        <source>在指定的目录中不能找到网站。很可能还没有启动方案或者文件已经被删除了。</source>
        <translation>The web site cannot be found in the given folder. Most likely the project has not been started yet, or the files have been deleted.</translation>
    </message>
    <message>
        <source>现在必须重新建立链接结构。</source>
        <translation>The link structure must be rebuilt now.</translation>
    </message>
    <message>
        <source>正在重新建立目录结构 ...        %1% 已完成</source>
        <translation>Rebuilding the folder structure ...        %1% done</translation>
    </message>
    <message>
        <source>正在重新建立目录结构 ...        100% 已完成</source>
        <translation>Rebuilding the folder structure ...        100% done</translation>
    </message>
    <message>
        <source>恢复文件 %1 比方案更新 (上次运行没有正常结束)。
您想要恢复它吗？</source>
        <translation>The recovery file %1 is newer than the project (the last run did not end normally).
Do you want to restore it?</translation>
    </message>
    <message>
        <source>链接结构已关闭，可以在“文件 → 设置 → 记录日志”中打开。</source>
        <translation>The link structure is switched off. Switch it on under File → Settings → Logging.</translation>
    </message>
    <message>
        <source>没有程序能够打开保存的网页。请检查桌面的默认浏览器设置。</source>
        <translation>No program could open the stored page. Check the default web browser of your desktop.</translation>
    </message>
    <message>
        <source>100.00% 已完成</source>
        <translation>100.00% done</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>是(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>否(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Net</name>
    <message>
        <source>连接被客户暂停。</source>
        <translation>Connection timed out by the client.</translation>
    </message>
    <message>
        <source>HTTP 组件正忙着</source>
        <translation>The HTTP component is busy</translation>
    </message>
    <message>
        <source>不能将主机名分解成 IP 地址</source>
        <translation>Cannot resolve the host name to an IP address</translation>
    </message>
    <message>
        <source>不能连接: <byte value="xd"/>%1 (错误 #%2)<byte value="xd"/>%3</source>
        <translation>Cannot connect: <byte value="xd"/>%1 (error #%2)<byte value="xd"/>%3</translation>
    </message>
    <message>
        <source>%1 (错误 #%2)</source>
        <translation>%1 (error #%2)</translation>
    </message>
    <message>
        <source>连接被请求中断</source>
        <translation>Connection aborted on request</translation>
    </message>
    <message>
        <source>HTTP 状态行无效</source>
        <translation>Invalid HTTP status line</translation>
    </message>
    <message>
        <source>HTTP 行太长</source>
        <translation>HTTP line too long</translation>
    </message>
    <message>
        <source>错误 %1 在函数 %2<byte value="xd"/>
%3</source>
        <translation>Error %1 in function %2<byte value="xd"/>
%3</translation>
    </message>
    <message>
        <source>DNS 搜寻: 无效的主机名。</source>
        <translation>DNS lookup: invalid host name.</translation>
    </message>
    <message>
        <source>%1: 不能启动 DNS 搜寻，错误 #%2</source>
        <translation>%1: cannot start the DNS lookup, error #%2</translation>
    </message>
    <message>
        <source>不支持的协议</source>
        <translation>Unsupported protocol</translation>
    </message>
    <message>
        <source>连接在文档结束之前被关闭</source>
        <translation>The connection was closed before the end of the document</translation>
    </message>
    <message>
        <source>代理服务器拒绝建立隧道</source>
        <translation>The proxy server refused to open a tunnel</translation>
    </message>
    <message>
        <source>HTTP 分块长度无效</source>
        <translation>Invalid HTTP chunk size</translation>
    </message>
    <message>
        <source>文档无法解压缩</source>
        <translation>The document could not be decompressed</translation>
    </message>
    <message>
        <source>注意: 不检查 HTTPS 服务器的证书。</source>
        <translation>Note: the certificates of HTTPS servers are not checked.</translation>
    </message>
    <message>
        <source>对方在 TLS 会话中途关闭了连接</source>
        <translation>The server closed the connection in the middle of the TLS session</translation>
    </message>
    <message>
        <source>文档超过 %1 字节的大小限制</source>
        <translation>Document exceeds the size limit of %1 bytes</translation>
    </message>
    <message>
        <source>传输太慢: %1 秒内平均不到每秒 %2 字节</source>
        <translation>Transfer too slow: less than %2 bytes per second on average over %1 seconds</translation>
    </message>
    <message>
        <source>服务器回答 304 (没有修改)，但请求并没有带条件</source>
        <translation>The server answered 304 (not modified) to a request that was not conditional</translation>
    </message>
    <message>
        <source>重新部署的地址太长</source>
        <translation>Relocation address too long</translation>
    </message>
</context>
<context>
    <name>NewProjectWizard</name>
    <message>
        <source>只在起始目录</source>
        <translation>Only in the start folder</translation>
    </message>
    <message>
        <source>在起始目录及其子目录</source>
        <translation>In the start folder and its subfolders</translation>
    </message>
    <message>
        <source>在这个服务器</source>
        <translation>On this server</translation>
    </message>
    <message>
        <source>只在正列表</source>
        <translation>Only in the positive list</translation>
    </message>
    <message>
        <source>不在负列表</source>
        <translation>Not in the negative list</translation>
    </message>
    <message>
        <source>在这个服务器，但是不在负列表</source>
        <translation>On this server, but not in the negative list</translation>
    </message>
    <message>
        <source>在正列表但不在负列表</source>
        <translation>In the positive list but not in the negative list</translation>
    </message>
    <message>
        <source>&lt;无限制&gt;</source>
        <translation>&lt;no limit&gt;</translation>
    </message>
    <message>
        <source>&lt;永不下载&gt;</source>
        <translation>&lt;never download&gt;</translation>
    </message>
    <message>
        <source>指向其它服务器的链接</source>
        <translation>Links to other servers</translation>
    </message>
    <message>
        <source>未处理的链接</source>
        <translation>Links not followed</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
    <message>
        <source>创建新的过程...</source>
        <translation>Create a new project...</translation>
    </message>
    <message>
        <source>常规设置</source>
        <translation>General settings</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>操作</source>
        <translation>Actions</translation>
    </message>
    <message>
        <source>本地保存</source>
        <translation>Local storage</translation>
    </message>
    <message>
        <source>限制(超文本)</source>
        <translation>Limits (hypertext)</translation>
    </message>
    <message>
        <source>限制(其它)</source>
        <translation>Limits (other)</translation>
    </message>
    <message>
        <source>域的正列表</source>
        <translation>Positive list of domains</translation>
    </message>
    <message>
        <source>域的负列表</source>
        <translation>Negative list of domains</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Finish</translation>
    </message>
    <message>
        <source>起始页面/URL:</source>
        <translation>Start page/URL:</translation>
    </message>
    <message>
        <source>方案名称:</source>
        <translation>Project name:</translation>
    </message>
    <message>
        <source>在主机那里用这个密码登录:</source>
        <translation>Log in to the host with this password:</translation>
    </message>
    <message>
        <source>浏览...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>指向已下载页面的绝对链接转换成相对链接</source>
        <translation>Convert absolute links to downloaded pages into relative links</translation>
    </message>
    <message>
        <source>也允许更改 Java Script 中的链接</source>
        <translation>Also change links in JavaScript</translation>
    </message>
    <message>
        <source>扩展那些指向没有下载的页面的链接</source>
        <translation>Make links to pages not downloaded absolute</translation>
    </message>
    <message>
        <source>目录</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>层次数目限制为</source>
        <translation>Limit the depth to</translation>
    </message>
    <message>
        <source>个层次</source>
        <translation>levels</translation>
    </message>
    <message>
        <source>超文本文档</source>
        <translation>Hypertext document</translation>
    </message>
    <message>
        <source>内嵌图像</source>
        <translation>Embedded images</translation>
    </message>
    <message>
        <source>内嵌对象</source>
        <translation>Embedded objects</translation>
    </message>
    <message>
        <source>对其它的参考</source>
        <translation>Other references</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>更改</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>选择 &quot;完成&quot; 按钮则创建这个新的方案:</source>
        <translation>Choose &quot;Finish&quot; to create this new project:</translation>
    </message>
    <message>
        <source>选择一个文件夹来保存网站:</source>
        <translation>Choose a folder to store the web site in:</translation>
    </message>
    <message>
        <source>方案: %s</source>
        <translation>Project: %s</translation>
    </message>
    <message>
        <source>起始页面: %s</source>
        <translation>Start page: %s</translation>
    </message>
    <message>
        <source>用这些登录数据登录:</source>
        <translation>Log in with these credentials:</translation>
    </message>
    <message>
        <source>名称: %s</source>
        <translation>Name: %s</translation>
    </message>
    <message>
        <source>密码: %s</source>
        <translation>Password: %s</translation>
    </message>
    <message>
        <source>不需要密码。</source>
        <translation>No password needed.</translation>
    </message>
    <message>
        <source>本地保存位置:</source>
        <translation>Stored locally in:</translation>
    </message>
    <message>
        <source>- 指向已下载页面的绝对链接</source>
        <translation>- Absolute links to downloaded pages</translation>
    </message>
    <message>
        <source>将转换成相对链接。</source>
        <translation>are converted into relative links.</translation>
    </message>
    <message>
        <source>- Java Script 中的链接也允许</source>
        <translation>- Links in JavaScript may</translation>
    </message>
    <message>
        <source>被更改。</source>
        <translation>be changed too.</translation>
    </message>
    <message>
        <source>- 扩展指向那些没有被下载的页面的链接。</source>
        <translation>- Links to pages not downloaded are made absolute.</translation>
    </message>
    <message>
        <source>层次数目限制为 %1 个层次。</source>
        <translation>The depth is limited to %1 levels.</translation>
    </message>
    <message>
        <source>超文本文档: %s。</source>
        <translation>Hypertext documents: %s.</translation>
    </message>
    <message>
        <source>内嵌图像: %s。</source>
        <translation>Embedded images: %s.</translation>
    </message>
    <message>
        <source>内嵌对象: %s。</source>
        <translation>Embedded objects: %s.</translation>
    </message>
    <message>
        <source>对其它的参考: %s。</source>
        <translation>Other references: %s.</translation>
    </message>
    <message>
        <source>下载规则</source>
        <translation>Download rules</translation>
    </message>
</context>
<context>
    <name>Options</name>
    <message>
        <source>全局选项</source>
        <translation>Global options</translation>
    </message>
    <message>
        <source>发送参考的页面</source>
        <translation>Send the referring page</translation>
    </message>
    <message>
        <source>同时发送呼叫的页面</source>
        <translation>Send the calling page along</translation>
    </message>
    <message>
        <source>同时进行的任务</source>
        <translation>Simultaneous downloads</translation>
    </message>
    <message>
        <source>最多</source>
        <translation>At most</translation>
    </message>
    <message>
        <source>个文件同时下载</source>
        <translation>files downloaded at the same time</translation>
    </message>
    <message>
        <source>暂停时间</source>
        <translation>Time-out</translation>
    </message>
    <message>
        <source>遇到所有错误都重试下载</source>
        <translation>Retry the download on every error</translation>
    </message>
    <message>
        <source>下载文件的暂停时间</source>
        <translation>Time-out for downloading a file</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>seconds</translation>
    </message>
    <message>
        <source>次重试在暂停之后</source>
        <translation>retries after a time-out</translation>
    </message>
    <message>
        <source>下载</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>默认文件</source>
        <translation>Default file</translation>
    </message>
    <message>
        <source>默认文件保存为</source>
        <translation>Save the default file as</translation>
    </message>
    <message>
        <source>浏览...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>选择一个文件夹:</source>
        <translation>Choose a folder:</translation>
    </message>
    <message>
        <source>本地保存的预设值</source>
        <translation>Default local storage folder</translation>
    </message>
    <message>
        <source>该目录将在保存页面时自动被建议。</source>
        <translation>This folder is suggested when pages are stored.</translation>
    </message>
    <message>
        <source>方案文件的预设值</source>
        <translation>Default folder for project files</translation>
    </message>
    <message>
        <source>该目录将在保存方案文件时自动被建议。</source>
        <translation>This folder is suggested when project files are saved.</translation>
    </message>
    <message>
        <source>本地</source>
        <translation>Local</translation>
    </message>
    <message>
        <source>在这里您可以指定一个代理服务器，以后所有的 HTTP 访问都经过它。</source>
        <translation>Here you can name a proxy server that all later HTTP requests go through.</translation>
    </message>
    <message>
        <source>通过代理服务器访问 HTTP</source>
        <translation>Use a proxy server for HTTP</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>代理服务器</source>
        <translation>Proxy server</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>用户名</source>
        <translation>User name</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>代理</source>
        <translation>Proxy</translation>
    </message>
    <message>
        <source>在这里您可以设置如何对 Trawlonix 的操作进行日志记录。</source>
        <translation>Here you can set how Trawlonix logs what it does.</translation>
    </message>
    <message>
        <source>日志文件</source>
        <translation>Log file</translation>
    </message>
    <message>
        <source>创建日志文件</source>
        <translation>Create a log file</translation>
    </message>
    <message>
        <source>只附加到现有的日志文件</source>
        <translation>Append to the existing log file</translation>
    </message>
    <message>
        <source>操作窗口</source>
        <translation>Activity window</translation>
    </message>
    <message>
        <source>在操作窗口中显示最后的</source>
        <translation>Show the last</translation>
    </message>
    <message>
        <source>行</source>
        <translation>lines in the activity window</translation>
    </message>
    <message>
        <source>链接结构</source>
        <translation>Link structure</translation>
    </message>
    <message>
        <source>在下载的时候同时整理链接结构</source>
        <translation>Build the link structure while downloading</translation>
    </message>
    <message>
        <source>记录日志</source>
        <translation>Logging</translation>
    </message>
    <message>
        <source>请您在这里指定一个文件扩展名列表，这些文件将作为超文本文档处理。</source>
        <translation>List here the file extensions whose files are treated as hypertext documents.</translation>
    </message>
    <message>
        <source>扩展名</source>
        <translation>Extension</translation>
    </message>
    <message>
        <source>描述</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>添加条目</source>
        <translation>Add entry</translation>
    </message>
    <message>
        <source>删除条目</source>
        <translation>Delete entry</translation>
    </message>
    <message>
        <source>HTML 识别</source>
        <translation>HTML recognition</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>新的文件扩展名将作为 HTML/文本识别</source>
        <translation>New file extension to recognise as HTML/text</translation>
    </message>
    <message>
        <source>您肯定想要删除选定的条目吗？</source>
        <translation>Are you sure you want to delete the selected entry?</translation>
    </message>
    <message>
        <source>界面语言</source>
        <translation>Interface language</translation>
    </message>
    <message>
        <source>跟随系统的区域设置</source>
        <translation>Follow the system locale</translation>
    </message>
    <message>
        <source>更改将在下次启动程序时生效。</source>
        <translation>The change takes effect the next time the program starts.</translation>
    </message>
    <message>
        <source>连接</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>使用 HTTP/1.0 发送请求（旧的请求格式）</source>
        <translation>Send requests as HTTP/1.0 (the old request form)</translation>
    </message>
    <message>
        <source>只在服务器不接受 HTTP/1.1 时选择：每个请求都打开一个新的连接，数据不压缩传送。</source>
        <translation>Only for servers that cannot handle HTTP/1.1: every request opens a new connection and nothing is sent compressed.</translation>
    </message>
    <message>
        <source>检查 HTTPS 服务器的证书</source>
        <translation>Check the certificates of HTTPS servers</translation>
    </message>
    <message>
        <source>关闭后无法确认对方是真正的服务器；只在您信任的网络中关闭。</source>
        <translation>When this is off, nothing proves that the other side is the real server; turn it off only on a network you trust.</translation>
    </message>
    <message>
        <source>附加的 CA 证书文件</source>
        <translation>Additional CA certificate file</translation>
    </message>
    <message>
        <source>除了系统的证书之外，也信任这个 PEM 文件中的证书颁发机构签发的证书。</source>
        <translation>Certificates issued by the certificate authorities in this PEM file are trusted as well as the system&apos;s.</translation>
    </message>
    <message>
        <source>选择 CA 证书文件:</source>
        <translation>Choose a CA certificate file:</translation>
    </message>
    <message>
        <source>PEM 证书 (*.pem *.crt);;所有文件 (*)</source>
        <translation>PEM certificates (*.pem *.crt);;All files (*)</translation>
    </message>
</context>
<context>
    <name>ProjectChoices</name>
    <message>
        <source>不限制</source>
        <translation>No limit</translation>
    </message>
    <message>
        <source>礼貌</source>
        <translation>Politeness</translation>
    </message>
    <message>
        <source>遵守 robots.txt 的规则</source>
        <translation>Obey robots.txt</translation>
    </message>
    <message>
        <source>不等待</source>
        <translation>No pause</translation>
    </message>
    <message>
        <source>随机变化</source>
        <translation>Vary randomly</translation>
    </message>
    <message>
        <source>请求间隔(秒)</source>
        <translation>Wait between requests (seconds)</translation>
    </message>
    <message>
        <source>带宽限制(字节/秒)</source>
        <translation>Bandwidth limit (bytes/s)</translation>
    </message>
    <message>
        <source>与连接数相同</source>
        <translation>Same as connections</translation>
    </message>
    <message>
        <source>每个服务器的请求数:</source>
        <translation>Requests per server:</translation>
    </message>
    <message>
        <source>大小</source>
        <translation>Sizes</translation>
    </message>
    <message>
        <source>最大文件大小</source>
        <translation>Largest file</translation>
    </message>
    <message>
        <source>总限额</source>
        <translation>Total quota</translation>
    </message>
    <message>
        <source>例如 500k、2M 或 1G。</source>
        <translation>For example 500k, 2M or 1G.</translation>
    </message>
    <message>
        <source>模式</source>
        <translation>Patterns</translation>
    </message>
    <message>
        <source>每行一个模式，或者用逗号分隔；* 代表任意个字符，? 代表一个字符。</source>
        <translation>One pattern per line or separated by commas; * matches any characters, ? one character.</translation>
    </message>
    <message>
        <source>只接受这些文件名 (例如 *.pdf):</source>
        <translation>Accept only these file names (e.g. *.pdf):</translation>
    </message>
    <message>
        <source>拒绝这些文件名 (例如 *.gif):</source>
        <translation>Reject these file names (e.g. *.gif):</translation>
    </message>
    <message>
        <source>只接受这些 URL:</source>
        <translation>Accept only these URLs:</translation>
    </message>
    <message>
        <source>拒绝这些 URL:</source>
        <translation>Reject these URLs:</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; 不是有效的大小。请输入一个数字，可以带单位 k、M 或 G，例如 500k 或 2M。</source>
        <translation>%1: &quot;%2&quot; is not a valid size. Enter a number, optionally followed by the unit k, M or G, such as 500k or 2M.</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; 不是有效的时间。请输入秒数，可以带单位 m 或 h，例如 1.5 或 2m。</source>
        <translation>%1: &quot;%2&quot; is not a valid time. Enter a number of seconds, optionally followed by the unit m or h, such as 1.5 or 2m.</translation>
    </message>
</context>
<context>
    <name>ProjectFields</name>
    <message>
        <source>用户名</source>
        <translation>User name</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>本地保存下载的文件</source>
        <translation>Store the downloaded files locally</translation>
    </message>
    <message>
        <source>收集所包含的电邮地址</source>
        <translation>Collect the e-mail addresses found</translation>
    </message>
    <message>
        <source>列出错误链接</source>
        <translation>List broken links</translation>
    </message>
    <message>
        <source>收集这些链接:</source>
        <translation>Collect these links:</translation>
    </message>
</context>
<context>
    <name>ProjectFile</name>
    <message>
        <source>正在写入再继续信息...        %d%% 已完成</source>
        <translation>Writing resume information...        %d%% done</translation>
    </message>
    <message>
        <source>正在读取再继续信息...        %d%% 已完成</source>
        <translation>Reading resume information...        %d%% done</translation>
    </message>
    <message>
        <source>正在写入转向信息...        %d%% 已完成</source>
        <translation>Writing redirect information...        %d%% done</translation>
    </message>
    <message>
        <source>正在读取转向信息...        %d%% 已完成</source>
        <translation>Reading redirect information...        %d%% done</translation>
    </message>
    <message>
        <source>正在加载方案...</source>
        <translation>Loading project...</translation>
    </message>
    <message>
        <source>正在保存方案...</source>
        <translation>Saving project...</translation>
    </message>
    <message>
        <source>在读取方案时发生文件错误！<byte value="xd"/>方案 没 有 打开！</source>
        <translation>A file error occurred while reading the project!<byte value="xd"/>The project was NOT opened!</translation>
    </message>
    <message>
        <source>不是一个 Trawlonix 方案文件！<byte value="xd"/>方案 没 有 打开！</source>
        <translation>This is not a Trawlonix project file!<byte value="xd"/>The project was NOT opened!</translation>
    </message>
    <message>
        <source>该 Trawlonix 方案是用一个更新版本的 Trawlonix 所创建的，所以不能打开！</source>
        <translation>This Trawlonix project was created by a newer version of Trawlonix and cannot be opened!</translation>
    </message>
    <message>
        <source>方案中包含有再继续的信息。您可以用 &quot;开始&quot; 按钮再继续一个被中断了的过程。</source>
        <translation>The project holds resume information. You can resume an interrupted run with the &quot;Start&quot; button.</translation>
    </message>
    <message>
        <source>不能创建文件 %s。<byte value="xd"/>方案 没 有 保存。</source>
        <translation>Cannot create the file %s.<byte value="xd"/>The project was NOT saved.</translation>
    </message>
    <message>
        <source>在保存方案时发生了写入错误！<byte value="xd"/>可能是剩余的储存空间不够了。<byte value="xd"/>方案 没 有 保存。</source>
        <translation>A write error occurred while saving the project!<byte value="xd"/>There may not be enough free disk space.<byte value="xd"/>The project was NOT saved.</translation>
    </message>
</context>
<context>
    <name>ProjectProperties</name>
    <message>
        <source>Trawlonix 方案属性</source>
        <translation>Trawlonix project properties</translation>
    </message>
    <message>
        <source>常规</source>
        <translation>General</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>操作</source>
        <translation>Actions</translation>
    </message>
    <message>
        <source>本地</source>
        <translation>Local</translation>
    </message>
    <message>
        <source>限制</source>
        <translation>Limits</translation>
    </message>
    <message>
        <source>正列表</source>
        <translation>Positive list</translation>
    </message>
    <message>
        <source>负列表</source>
        <translation>Negative list</translation>
    </message>
    <message>
        <source>重命名</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>起始 URL</source>
        <translation>Start URL</translation>
    </message>
    <message>
        <source>方案名称</source>
        <translation>Project name</translation>
    </message>
    <message>
        <source>层次数目限制为</source>
        <translation>Limit the depth to</translation>
    </message>
    <message>
        <source>个层次</source>
        <translation>levels</translation>
    </message>
    <message>
        <source>是文件</source>
        <translation>is a file</translation>
    </message>
    <message>
        <source>是误写的目录</source>
        <translation>is a folder written without the slash</translation>
    </message>
    <message>
        <source>不带点的文件名</source>
        <translation>File names without a dot</translation>
    </message>
    <message>
        <source>在服务器那里用这些用户数据登录:</source>
        <translation>Log in to the server with these credentials:</translation>
    </message>
    <message>
        <source>请您指定一个目录以便在它下面建立将要下载的网站结构。</source>
        <translation>Choose the folder under which the downloaded web site is laid out.</translation>
    </message>
    <message>
        <source>浏览...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>目标目录</source>
        <translation>Target folder</translation>
    </message>
    <message>
        <source>指向已下载页面的绝对链接转换成相对链接</source>
        <translation>Convert absolute links to downloaded pages into relative links</translation>
    </message>
    <message>
        <source>扩展那些指向没有下载的页面的链接</source>
        <translation>Make links to pages not downloaded absolute</translation>
    </message>
    <message>
        <source>也允许更改 Java Script 中的链接(小心！)</source>
        <translation>Also change links in JavaScript (careful!)</translation>
    </message>
    <message>
        <source>选择一个文件夹来保存网站:</source>
        <translation>Choose a folder to store the web site in:</translation>
    </message>
    <message>
        <source>在这里您可以设定一些限制给 Trawlonix 使它只允许从某些区域下载文档。</source>
        <translation>Here you can set limits so that Trawlonix downloads documents only from certain areas.</translation>
    </message>
    <message>
        <source>超文本文档</source>
        <translation>Hypertext document</translation>
    </message>
    <message>
        <source>内嵌图像</source>
        <translation>Embedded images</translation>
    </message>
    <message>
        <source>内嵌对象</source>
        <translation>Embedded objects</translation>
    </message>
    <message>
        <source>对其它的参考</source>
        <translation>Other references</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>更改</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>将 &quot;.html&quot; 附加到有下列扩展名的文件名后面:</source>
        <translation>Append &quot;.html&quot; to file names with these extensions:</translation>
    </message>
    <message>
        <source>扩展名</source>
        <translation>Extension</translation>
    </message>
    <message>
        <source>描述</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>添加条目</source>
        <translation>Add entry</translation>
    </message>
    <message>
        <source>删除条目</source>
        <translation>Delete entry</translation>
    </message>
    <message>
        <source>只有在可识别的脚本呼叫(URL 包含 &quot;?&quot;)时才更改</source>
        <translation>Only for recognisable script calls (the URL contains &quot;?&quot;)</translation>
    </message>
    <message>
        <source>新的文件扩展名将重命名为 .html</source>
        <translation>New file extension to rename to .html</translation>
    </message>
    <message>
        <source>您真的想要删除条目 %1 吗？</source>
        <translation>Do you really want to delete the entry %1?</translation>
    </message>
    <message>
        <source>动态连接库文件</source>
        <translation>Dynamic link library</translation>
    </message>
    <message>
        <source>可执行应用程序</source>
        <translation>Executable program</translation>
    </message>
    <message>
        <source>规则</source>
        <translation>Rules</translation>
    </message>
    <message>
        <source>另外还有 %1 条警告。</source>
        <translation>And %1 more warnings.</translation>
    </message>
</context>
<context>
    <name>ProjectSetup</name>
    <message>
        <source>请不要在这里指定用户名或者密码。<byte value="xd"/>您的输入将被复制到第二页(用户数据)。</source>
        <translation>Please do not give a user name or password here.<byte value="xd"/>What you entered is moved to the second page (user data).</translation>
    </message>
    <message>
        <source>所指定的端口名称 %s 无效！</source>
        <translation>The port name %s is not valid!</translation>
    </message>
    <message>
        <source>请指定一个起始页面！</source>
        <translation>Please give a start page!</translation>
    </message>
    <message>
        <source>请指定一个方案名称！</source>
        <translation>Please give a project name!</translation>
    </message>
    <message>
        <source>只支持 HTML 日志文件！</source>
        <translation>Only HTTP addresses are supported!</translation>
    </message>
    <message>
        <source>请指定一个本地路径！</source>
        <translation>Please give a local path!</translation>
    </message>
    <message>
        <source>指定的本地路径不存在！</source>
        <translation>The local path given does not exist!</translation>
    </message>
    <message>
        <source>正列表不允许是空的！</source>
        <translation>The positive list must not be empty!</translation>
    </message>
    <message>
        <source>负列表不允许是空的！</source>
        <translation>The negative list must not be empty!</translation>
    </message>
    <message>
        <source>所指定的端口 %s 无效！</source>
        <translation>The port %s is not valid!</translation>
    </message>
    <message>
        <source>在这里您只能指定主机和目录，不能指定文件名！<byte value="xd"/>将会自动更正。</source>
        <translation>Here you can only give a host and a folder, not a file name!<byte value="xd"/>This is corrected automatically.</translation>
    </message>
    <message>
        <source>请指定一个 URL！</source>
        <translation>Please give a URL!</translation>
    </message>
    <message>
        <source>所指定的端口 %s 无效：端口必须在 1 到 65535 之间！</source>
        <translation>The port %s is not valid: a port must be between 1 and 65535!</translation>
    </message>
    <message>
        <source>只支持 HTTP 和 HTTPS 地址！</source>
        <translation>Only HTTP and HTTPS addresses are supported!</translation>
    </message>
    <message>
        <source>地址中缺少主机名！</source>
        <translation>The address has no host name!</translation>
    </message>
</context>
<context>
    <name>Results</name>
    <message>
        <source>方案结果</source>
        <translation>Project results</translation>
    </message>
    <message>
        <source>状态:</source>
        <translation>State:</translation>
    </message>
    <message>
        <source>KB 已接收</source>
        <translation>KB received</translation>
    </message>
    <message>
        <source>个文件(总共)</source>
        <translation>files (in total)</translation>
    </message>
    <message>
        <source>个是 HTML 文档</source>
        <translation>of them HTML documents</translation>
    </message>
    <message>
        <source>个文件被接收</source>
        <translation>files received</translation>
    </message>
    <message>
        <source>个文件被检查</source>
        <translation>files checked</translation>
    </message>
    <message>
        <source>确定(&amp;O)</source>
        <translation>&amp;OK</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>超文本文档</source>
        <translation>Hypertext document</translation>
    </message>
    <message>
        <source>PHP/FI 脚本</source>
        <translation>PHP/FI script</translation>
    </message>
    <message>
        <source>PHP 脚本</source>
        <translation>PHP script</translation>
    </message>
    <message>
        <source>PHP3 脚本</source>
        <translation>PHP3 script</translation>
    </message>
    <message>
        <source>PHP4 脚本</source>
        <translation>PHP4 script</translation>
    </message>
    <message>
        <source>Perl 脚本</source>
        <translation>Perl script</translation>
    </message>
    <message>
        <source>活动服务器页面</source>
        <translation>Active Server Page</translation>
    </message>
</context>
<context>
    <name>Sidecar</name>
    <message>
        <source>结果列表文件 %s 不能被读取。</source>
        <translation>The result list file %s cannot be read.</translation>
    </message>
    <message>
        <source>文件 %s 不是 Trawlonix 结果列表文件。</source>
        <translation>The file %s is not a Trawlonix result list file.</translation>
    </message>
    <message>
        <source>结果列表文件 %s 不能被保存。</source>
        <translation>The result list file %s cannot be saved.</translation>
    </message>
</context>
<context>
    <name>SlotWindow</name>
    <message>
        <source>下载线程的状态:</source>
        <translation>State of the download slots:</translation>
    </message>
    <message>
        <source>关闭(&amp;S)</source>
        <translation>&amp;Close</translation>
    </message>
</context>
<context>
    <name>SocketError</name>
    <message>
        <source>无错误</source>
        <translation>No error</translation>
    </message>
    <message>
        <source>打断的系统呼叫</source>
        <translation>Interrupted system call</translation>
    </message>
    <message>
        <source>无效的文件句柄</source>
        <translation>Bad file handle</translation>
    </message>
    <message>
        <source>权限被拒绝</source>
        <translation>Permission denied</translation>
    </message>
    <message>
        <source>无效的地址</source>
        <translation>Bad address</translation>
    </message>
    <message>
        <source>无效的参数</source>
        <translation>Invalid argument</translation>
    </message>
    <message>
        <source>打开的文件太多</source>
        <translation>Too many open files</translation>
    </message>
    <message>
        <source>操作将锁定</source>
        <translation>Operation would block</translation>
    </message>
    <message>
        <source>操作正在进行中</source>
        <translation>Operation now in progress</translation>
    </message>
    <message>
        <source>操作已经在进行中</source>
        <translation>Operation already in progress</translation>
    </message>
    <message>
        <source>在非套接字上进行套接字操作</source>
        <translation>Socket operation on a non-socket</translation>
    </message>
    <message>
        <source>需要目标地址</source>
        <translation>Destination address required</translation>
    </message>
    <message>
        <source>消息太长</source>
        <translation>Message too long</translation>
    </message>
    <message>
        <source>套接字的协议类型错误</source>
        <translation>Wrong protocol type for socket</translation>
    </message>
    <message>
        <source>错误的协议选项</source>
        <translation>Bad protocol option</translation>
    </message>
    <message>
        <source>协议不受支持</source>
        <translation>Protocol not supported</translation>
    </message>
    <message>
        <source>套接字类型不受支持</source>
        <translation>Socket type not supported</translation>
    </message>
    <message>
        <source>套接字上不支持该操作</source>
        <translation>Operation not supported on socket</translation>
    </message>
    <message>
        <source>协议族不受支持</source>
        <translation>Protocol family not supported</translation>
    </message>
    <message>
        <source>协议族不支持该地址族</source>
        <translation>Address family not supported by protocol family</translation>
    </message>
    <message>
        <source>地址已经在使用中</source>
        <translation>Address already in use</translation>
    </message>
    <message>
        <source>不能分配请求的地址</source>
        <translation>Cannot assign the requested address</translation>
    </message>
    <message>
        <source>网络已关闭</source>
        <translation>Network is down</translation>
    </message>
    <message>
        <source>网络不可到达</source>
        <translation>Network is unreachable</translation>
    </message>
    <message>
        <source>网络在重置时断开了连接</source>
        <translation>Network dropped the connection on reset</translation>
    </message>
    <message>
        <source>连接中断</source>
        <translation>Connection aborted</translation>
    </message>
    <message>
        <source>链接被同位体重置</source>
        <translation>Connection reset by peer</translation>
    </message>
    <message>
        <source>没有缓冲空间可用</source>
        <translation>No buffer space available</translation>
    </message>
    <message>
        <source>套接字已经连接上</source>
        <translation>Socket is already connected</translation>
    </message>
    <message>
        <source>套接字没有连接上</source>
        <translation>Socket is not connected</translation>
    </message>
    <message>
        <source>套接字关闭后不能发送</source>
        <translation>Cannot send after socket shutdown</translation>
    </message>
    <message>
        <source>引用太多，不能拼接</source>
        <translation>Too many references, cannot splice</translation>
    </message>
    <message>
        <source>连接暂停了</source>
        <translation>Connection timed out</translation>
    </message>
    <message>
        <source>连接被拒绝</source>
        <translation>Connection refused</translation>
    </message>
    <message>
        <source>符号链接的层次太多</source>
        <translation>Too many levels of symbolic links</translation>
    </message>
    <message>
        <source>文件名太长</source>
        <translation>File name too long</translation>
    </message>
    <message>
        <source>主机已关机</source>
        <translation>Host is down</translation>
    </message>
    <message>
        <source>没有路线到主机</source>
        <translation>No route to host</translation>
    </message>
    <message>
        <source>目录不是空的</source>
        <translation>Directory not empty</translation>
    </message>
    <message>
        <source>进程太多</source>
        <translation>Too many processes</translation>
    </message>
    <message>
        <source>用户太多</source>
        <translation>Too many users</translation>
    </message>
    <message>
        <source>超出磁盘配额</source>
        <translation>Disk quota exceeded</translation>
    </message>
    <message>
        <source>失效的 NFS 文件句柄</source>
        <translation>Stale NFS file handle</translation>
    </message>
    <message>
        <source>路径中的远程层次太多</source>
        <translation>Too many levels of remote in path</translation>
    </message>
    <message>
        <source>网络子系统不可用</source>
        <translation>Network subsystem is unavailable</translation>
    </message>
    <message>
        <source>WinSock 版本不受支持</source>
        <translation>WinSock version not supported</translation>
    </message>
    <message>
        <source>WinSock 没有初始化</source>
        <translation>WinSock not initialised</translation>
    </message>
    <message>
        <source>没有找到主机</source>
        <translation>Host not found</translation>
    </message>
    <message>
        <source>没有找到非权威的主机</source>
        <translation>Non-authoritative host not found</translation>
    </message>
    <message>
        <source>不可恢复的错误</source>
        <translation>Non-recoverable error</translation>
    </message>
    <message>
        <source>无数据</source>
        <translation>No data</translation>
    </message>
    <message>
        <source>不是 WinSock 错误</source>
        <translation>Not a WinSock error</translation>
    </message>
    <message>
        <source>TLS 安全连接失败</source>
        <translation>TLS secure connection failed</translation>
    </message>
</context>
<context>
    <name>Splash</name>
    <message>
        <source>版本: %1.%2 构建: %3</source>
        <translation>Version: %1.%2 build: %3</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>Wizard</name>
    <message>
        <source>完成(&amp;F)</source>
        <translation>&amp;Finish</translation>
    </message>
    <message>
        <source>继续(&amp;W) &gt;</source>
        <translation>&amp;Next &gt;</translation>
    </message>
    <message>
        <source>&lt; 后退(&amp;Z)</source>
        <translation>&lt; &amp;Back</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
</context>
</TS>
