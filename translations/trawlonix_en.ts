<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
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
</TS>
