<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>AliasRegistry</name>
    <message>
        <source>The file “%1” does not exist.</source>
        <translation>文件“%1”不存在。</translation>
    </message>
    <message>
        <source>“%1” is a folder, not a SQLite database.</source>
        <translation>“%1”是文件夹，不是 SQLite 数据库。</translation>
    </message>
    <message>
        <source>The file “%1” cannot be read: you may not have permission to read it.</source>
        <translation>无法读取文件“%1”：您可能没有读取它的权限。</translation>
    </message>
    <message>
        <source>“%1” is not a SQLite database, so Tabvale cannot open it.</source>
        <translation>“%1”不是 SQLite 数据库，Tabvale 无法打开它。</translation>
    </message>
    <message>
        <source>There is no database alias “%1” (the aliases are kept in “%2”).</source>
        <translation>没有数据库别名“%1”（别名保存在“%2”中）。</translation>
    </message>
    <message>
        <source>The database alias “%1” asks for the picture form “%2”, which Tabvale does not know: write PictureForm=bitmap or PictureForm=file in “%3”.</source>
        <translation>数据库别名“%1”要求图片形式“%2”，Tabvale 不认识这种形式：请在“%3”中写 PictureForm=bitmap 或 PictureForm=file。</translation>
    </message>
    <message>
        <source>An alias needs a name.</source>
        <translation>别名必须有名称。</translation>
    </message>
    <message>
        <source>The alias “%1” needs a database file.</source>
        <translation>别名“%1”必须指定数据库文件。</translation>
    </message>
    <message>
        <source>The alias “%1” already exists.</source>
        <translation>别名“%1”已存在。</translation>
    </message>
    <message>
        <source>There is no database alias “%1”.</source>
        <translation>没有数据库别名“%1”。</translation>
    </message>
    <message>
        <source>The alias file “%1” cannot be read: %2.</source>
        <translation>无法读取别名文件“%1”：%2。</translation>
    </message>
    <message>
        <source>The alias file “%1” cannot be written: %2.</source>
        <translation>无法写入别名文件“%1”：%2。</translation>
    </message>
</context>
<context>
    <name>AliasesTool</name>
    <message>
        <source>The file “%1” does not exist (add --create to make an empty database there).</source>
        <translation>文件“%1”不存在（加上 --create 可在该处新建一个空数据库）。</translation>
    </message>
    <message>
        <source>Usage:
  tabvale-aliases list                       show every alias and its database
  tabvale-aliases add [--create] NAME PATH   add an alias for the SQLite file PATH
                                             (--create makes an empty database there)
  tabvale-aliases add NAME postgresql://...  add an alias for a PostgreSQL database
  tabvale-aliases add NAME --conninfo TEXT   ... named by libpq settings instead
  tabvale-aliases add NAME --service NAME    ... named by a pg_service.conf service
                                             (no password: keep it in ~/.pgpass)
  tabvale-aliases remove NAME                remove an alias (the database stays)
The aliases are kept in %1
</source>
        <translation>用法：
  tabvale-aliases list                       列出每个别名及其数据库
  tabvale-aliases add [--create] 名称 路径   为 SQLite 文件“路径”添加别名
                                             （--create 在该处新建一个空数据库）
  tabvale-aliases add 名称 postgresql://...  为 PostgreSQL 数据库添加别名
  tabvale-aliases add 名称 --conninfo 文本   ……改用 libpq 连接设置指定
  tabvale-aliases add 名称 --service 名称    ……用 pg_service.conf 中的服务指定
                                             （不写密码：请把它保存在 ~/.pgpass 中）
  tabvale-aliases remove 名称                删除别名（数据库保留）
别名保存在 %1
</translation>
    </message>
    <message>
        <source>Added %1 -&gt; %2
</source>
        <translation>已添加 %1 -&gt; %2
</translation>
    </message>
    <message>
        <source>Removed %1
</source>
        <translation>已删除 %1
</translation>
    </message>
</context>
<context>
    <name>BmpCodec</name>
    <message>
        <source>The picture cannot be read as a bitmap: %1.</source>
        <translation>无法按位图读取该图片：%1。</translation>
    </message>
    <message>
        <source>the file is truncated (its %1 is incomplete)</source>
        <translation>文件不完整（其%1残缺）</translation>
    </message>
    <message>
        <source>the file is too short</source>
        <translation>文件太短</translation>
    </message>
    <message>
        <source>the file does not start with &quot;BM&quot;</source>
        <translation>文件不是以“BM”开头</translation>
    </message>
    <message>
        <source>its information header has an unknown size (%1 bytes)</source>
        <translation>其信息头的大小未知（%1 字节）</translation>
    </message>
    <message>
        <source>%1 bits per pixel is not supported</source>
        <translation>不支持每像素 %1 位</translation>
    </message>
    <message>
        <source>RLE%1 compression with %2 bits per pixel is not valid</source>
        <translation>RLE%1 压缩不能用于每像素 %2 位</translation>
    </message>
    <message>
        <source>bit-field masks with %1 bits per pixel are not supported</source>
        <translation>不支持每像素 %1 位的位域掩码</translation>
    </message>
    <message>
        <source>RLE24 compression with %1 bits per pixel is not valid</source>
        <translation>RLE24 压缩不能用于每像素 %1 位</translation>
    </message>
    <message>
        <source>OS/2 Huffman compression is not supported</source>
        <translation>不支持 OS/2 霍夫曼压缩</translation>
    </message>
    <message>
        <source>compression method %1 is unknown</source>
        <translation>压缩方式 %1 未知</translation>
    </message>
    <message>
        <source>there is not enough memory for %1 × %2 pixels</source>
        <translation>内存不足，无法容纳 %1 × %2 像素</translation>
    </message>
    <message>
        <source>its pixel data is not the %1 file its header announces</source>
        <translation>其像素数据不是文件头所声明的 %1 文件</translation>
    </message>
    <message>
        <source>its embedded %1 file cannot be read (%2)</source>
        <translation>无法读取其中嵌入的 %1 文件（%2）</translation>
    </message>
    <message>
        <source>An empty picture cannot be written as a bitmap.</source>
        <translation>空图片不能写成位图。</translation>
    </message>
    <message>
        <source>A %1 × %2 picture is too large for a bitmap file.</source>
        <translation>%1 × %2 的图片太大，无法写成位图文件。</translation>
    </message>
    <message>
        <source>information header</source>
        <translation>信息头</translation>
    </message>
    <message>
        <source>colour masks</source>
        <translation>颜色掩码</translation>
    </message>
    <message>
        <source>colour table</source>
        <translation>调色板</translation>
    </message>
    <message>
        <source>pixel data</source>
        <translation>像素数据</translation>
    </message>
</context>
<context>
    <name>CalcConnection</name>
    <message>
        <source>the spreadsheet application does not answer</source>
        <translation>电子表格程序没有响应</translation>
    </message>
    <message>
        <source>the spreadsheet application has gone away</source>
        <translation>电子表格程序已经退出</translation>
    </message>
    <message>
        <source>the spreadsheet object no longer exists</source>
        <translation>该电子表格对象已不存在</translation>
    </message>
    <message>
        <source>the spreadsheet application is not installed</source>
        <translation>没有安装电子表格程序</translation>
    </message>
    <message>
        <source>the spreadsheet application could not be started (%1)</source>
        <translation>无法启动电子表格程序（%1）</translation>
    </message>
</context>
<context>
    <name>CalcConvert</name>
    <message>
        <source>cannot save a workbook as &quot;%1&quot;: use .xls, .xlsx or .ods</source>
        <translation>不能将工作簿保存为“%1”：请使用 .xls、.xlsx 或 .ods</translation>
    </message>
</context>
<context>
    <name>CalcProcess</name>
    <message>
        <source>cannot start the spreadsheet application</source>
        <translation>无法启动电子表格程序</translation>
    </message>
</context>
<context>
    <name>CalcSession</name>
    <message>
        <source>keys %1 cannot be sent to the spreadsheet</source>
        <translation>无法向电子表格发送按键 %1</translation>
    </message>
    <message>
        <source>no workbook is open</source>
        <translation>没有打开的工作簿</translation>
    </message>
    <message>
        <source>nothing is selected</source>
        <translation>没有选中任何内容</translation>
    </message>
    <message>
        <source>there is no workbook %1</source>
        <translation>没有第 %1 个工作簿</translation>
    </message>
    <message>
        <source>there is no workbook named %1</source>
        <translation>没有名为 %1 的工作簿</translation>
    </message>
    <message>
        <source>the spreadsheet application could not open the workbook “%1”: it cannot be read</source>
        <translation>电子表格程序无法打开工作簿“%1”：无法读取该文件</translation>
    </message>
    <message>
        <source>the spreadsheet application could not open the workbook “%1”: it is damaged or not a workbook</source>
        <translation>电子表格程序无法打开工作簿“%1”：文件已损坏或不是工作簿</translation>
    </message>
    <message>
        <source>%1 is not a workbook</source>
        <translation>%1 不是工作簿</translation>
    </message>
    <message>
        <source>the workbook %1 does not exist</source>
        <translation>工作簿 %1 不存在</translation>
    </message>
</context>
<context>
    <name>CalcShape</name>
    <message>
        <source>the shape holds no text</source>
        <translation>该图形对象中没有文字</translation>
    </message>
    <message>
        <source>a shape cannot have a negative size</source>
        <translation>图形对象的大小不能为负</translation>
    </message>
    <message>
        <source>the shape holds no picture</source>
        <translation>该图形对象中没有图片</translation>
    </message>
    <message>
        <source>the picture could not be read from the spreadsheet</source>
        <translation>无法从电子表格中读取图片</translation>
    </message>
    <message>
        <source>there is no clipboard to copy to</source>
        <translation>没有可复制到的剪贴板</translation>
    </message>
    <message>
        <source>there is no character position %1</source>
        <translation>没有字符位置 %1</translation>
    </message>
</context>
<context>
    <name>CalcWorkbook</name>
    <message>
        <source>the spreadsheet object no longer exists</source>
        <translation>该电子表格对象已不存在</translation>
    </message>
    <message>
        <source>the spreadsheet connection is closed</source>
        <translation>与电子表格程序的连接已关闭</translation>
    </message>
    <message>
        <source>the spreadsheet application could not save the workbook “%1”: its folder may be read-only, the disk full, or the file in use by another program</source>
        <translation>电子表格程序无法保存工作簿“%1”：其文件夹可能是只读的、磁盘已满，或文件正被其他程序使用</translation>
    </message>
    <message>
        <source>the workbook %1 has no file yet</source>
        <translation>工作簿 %1 还没有文件</translation>
    </message>
    <message>
        <source>the workbook was kept open</source>
        <translation>工作簿仍保持打开</translation>
    </message>
    <message>
        <source>the workbook is closed</source>
        <translation>工作簿已关闭</translation>
    </message>
    <message>
        <source>there is no sheet %1</source>
        <translation>没有第 %1 个工作表</translation>
    </message>
    <message>
        <source>there is no sheet named %1</source>
        <translation>没有名为 %1 的工作表</translation>
    </message>
</context>
<context>
    <name>CalcWorksheet</name>
    <message>
        <source>there is no cell at row %1, column %2</source>
        <translation>第 %1 行第 %2 列没有单元格</translation>
    </message>
    <message>
        <source>there is a sheet named %1 already</source>
        <translation>已有名为 %1 的工作表</translation>
    </message>
    <message>
        <source>a sheet cannot be named %1</source>
        <translation>工作表不能命名为 %1</translation>
    </message>
    <message>
        <source>there is no clipboard to paste from</source>
        <translation>没有可从中粘贴的剪贴板</translation>
    </message>
    <message>
        <source>the clipboard holds no picture</source>
        <translation>剪贴板中没有图片</translation>
    </message>
    <message>
        <source>there is no picture to paste</source>
        <translation>没有可粘贴的图片</translation>
    </message>
    <message>
        <source>the picture cannot be encoded</source>
        <translation>无法对图片编码</translation>
    </message>
    <message>
        <source>the spreadsheet did not take the picture</source>
        <translation>电子表格没有接受该图片</translation>
    </message>
    <message>
        <source>there is no %1 named %2</source>
        <translation>没有名为 %2 的%1</translation>
    </message>
    <message>
        <source>only horizontal text boxes can be added</source>
        <translation>只能添加横排文本框</translation>
    </message>
    <message>
        <source>the rows of a block must be of equal length</source>
        <translation>一块数据中各行的长度必须相同</translation>
    </message>
    <message>
        <source>picture</source>
        <translation>图片</translation>
    </message>
    <message>
        <source>text box</source>
        <translation>文本框</translation>
    </message>
    <message>
        <source>shape</source>
        <translation>图形对象</translation>
    </message>
</context>
<context>
    <name>Database</name>
    <message>
        <source>it is on a read-only disk</source>
        <translation>它位于只读磁盘上</translation>
    </message>
    <message>
        <source>the file is read-only</source>
        <translation>文件是只读的</translation>
    </message>
    <message>
        <source>its folder cannot be written to</source>
        <translation>无法写入其所在文件夹</translation>
    </message>
    <message>
        <source>The database file “%1” does not exist.</source>
        <translation>数据库文件“%1”不存在。</translation>
    </message>
    <message>
        <source>“%1” is not a database file.</source>
        <translation>“%1”不是数据库文件。</translation>
    </message>
    <message>
        <source>opening the database “%1”</source>
        <translation>打开数据库“%1”</translation>
    </message>
    <message>
        <source>another program is using it</source>
        <translation>另一个程序正在使用它</translation>
    </message>
    <message>
        <source>it cannot be opened for writing</source>
        <translation>无法以写入方式打开它</translation>
    </message>
    <message>
        <source>The database “%1” cannot be opened: %2.</source>
        <translation>无法打开数据库“%1”：%2。</translation>
    </message>
    <message>
        <source>The file “%1” already exists.</source>
        <translation>文件“%1”已存在。</translation>
    </message>
    <message>
        <source>The database “%1” cannot be created: %2.</source>
        <translation>无法创建数据库“%1”：%2。</translation>
    </message>
    <message>
        <source>The database “%1” is read-only (%2): %3 is not possible.</source>
        <translation>数据库“%1”是只读的（%2）：无法%3。</translation>
    </message>
    <message>
        <source>The database “%1” is opened read-only because %2. Its records can be read, but no change can be stored.</source>
        <translation>数据库“%1”以只读方式打开，因为%2。可以读取其中的记录，但无法保存任何修改。</translation>
    </message>
    <message>
        <source>changing the database “%1”</source>
        <translation>修改数据库“%1”</translation>
    </message>
</context>
<context>
    <name>Engine</name>
    <message>
        <source>The database “%1” names no database file (Path= is empty).</source>
        <translation>数据库“%1”没有指定数据库文件（Path= 为空）。</translation>
    </message>
    <message>
        <source>The database file “%2” of the database “%1” does not exist.</source>
        <translation>数据库“%1”的数据库文件“%2”不存在。</translation>
    </message>
    <message>
        <source>The database “%1” is on a PostgreSQL server; this command works only on SQLite database files for now. Nothing was changed.</source>
        <translation>数据库“%1”位于 PostgreSQL 服务器上；这项命令目前只能用于 SQLite 数据库文件。没有做任何更改。</translation>
    </message>
    <message>
        <source>The database “%1” uses the driver “%2”, which Tabvale does not know (it knows SQLITE and PGSQL).</source>
        <translation>数据库“%1”使用的驱动程序“%2”是 Tabvale 不认识的（它认识 SQLITE 和 PGSQL）。</translation>
    </message>
</context>
<context>
    <name>ExchangeError</name>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
</context>
<context>
    <name>FieldValue</name>
    <message>
        <source>(%1 bytes of binary data)</source>
        <translation>（%1 字节的二进制数据）</translation>
    </message>
    <message>
        <source>(a picture)</source>
        <translation>（一张图片）</translation>
    </message>
    <message>
        <source>The value %1 cannot be stored in the field “%2”: %3.</source>
        <translation>值 %1 不能存入字段“%2”：%3。</translation>
    </message>
    <message>
        <source>it is too large</source>
        <translation>它太大了</translation>
    </message>
    <message>
        <source>it is not a whole number</source>
        <translation>它不是整数</translation>
    </message>
    <message>
        <source>it is outside -32768 to 32767</source>
        <translation>它超出了 -32768 到 32767 的范围</translation>
    </message>
    <message>
        <source>it is not a finite number</source>
        <translation>它不是有限的数</translation>
    </message>
    <message>
        <source>it is not a number</source>
        <translation>它不是数字</translation>
    </message>
    <message>
        <source>it is not a yes/no value (true or false)</source>
        <translation>它不是是/否值（true 或 false）</translation>
    </message>
    <message>
        <source>it is not a valid date (year-month-day)</source>
        <translation>它不是有效的日期（年-月-日）</translation>
    </message>
    <message>
        <source>it is not a valid time (hours:minutes:seconds)</source>
        <translation>它不是有效的时间（时:分:秒）</translation>
    </message>
    <message>
        <source>it is not a valid date and time (year-month-day hours:minutes:seconds)</source>
        <translation>它不是有效的日期时间（年-月-日 时:分:秒）</translation>
    </message>
    <message>
        <source>it is not text</source>
        <translation>它不是文本</translation>
    </message>
    <message>
        <source>a picture field takes only pictures</source>
        <translation>图片字段只能存放图片</translation>
    </message>
    <message>
        <source>it has %1 characters, the field holds at most %2</source>
        <translation>它有 %1 个字符，而该字段最多容纳 %2 个</translation>
    </message>
    <message>
        <source>a whole number</source>
        <translation>整数</translation>
    </message>
    <message>
        <source>a number</source>
        <translation>数字</translation>
    </message>
    <message>
        <source>a yes/no value</source>
        <translation>是/否值</translation>
    </message>
    <message>
        <source>a date</source>
        <translation>日期</translation>
    </message>
    <message>
        <source>a time</source>
        <translation>时间</translation>
    </message>
    <message>
        <source>a date and time</source>
        <translation>日期时间</translation>
    </message>
    <message>
        <source>text</source>
        <translation>文本</translation>
    </message>
    <message>
        <source>a picture</source>
        <translation>图片</translation>
    </message>
</context>
<context>
    <name>FileArgument</name>
    <message>
        <source>Browse and edit the tables of picture-rich databases.</source>
        <translation>浏览和编辑含有大量图片的数据库中的数据表。</translation>
    </message>
    <message>
        <source>A SQLite database to open (it is added to the aliases).</source>
        <translation>要打开的 SQLite 数据库（会被加入别名）。</translation>
    </message>
</context>
<context>
    <name>FolderListing</name>
    <message>
        <source>The folder “%1” cannot be read: %2.</source>
        <translation>无法读取文件夹“%1”：%2。</translation>
    </message>
    <message>
        <source>“%1” is not a folder.</source>
        <translation>“%1”不是文件夹。</translation>
    </message>
    <message>
        <source>The file “%1” cannot be opened: %2.</source>
        <translation>无法打开文件“%1”：%2。</translation>
    </message>
    <message>
        <source>The file “%1” cannot be read: %2.</source>
        <translation>无法读取文件“%1”：%2。</translation>
    </message>
</context>
<context>
    <name>FreePages</name>
    <message>
        <source>compacting the database “%1”</source>
        <translation>压缩数据库“%1”</translation>
    </message>
    <message>
        <source>Could not finish %1: no file can be made beside it (%2).</source>
        <translation>未能完成%1：无法在它旁边创建文件（%2）。</translation>
    </message>
    <message>
        <source>Could not finish %1: its packed copy is incomplete.</source>
        <translation>未能完成%1：压缩后的副本不完整。</translation>
    </message>
    <message>
        <source>Could not finish %1: another program changed it meanwhile. Nothing was changed; compact it again.</source>
        <translation>未能完成%1：在此期间另一个程序修改了它。未做任何更改；请重新压缩。</translation>
    </message>
</context>
<context>
    <name>Guarded</name>
    <message>
        <source>There is not enough memory to finish the work.</source>
        <translation>内存不足，无法完成这项工作。</translation>
    </message>
</context>
<context>
    <name>JpegCodec</name>
    <message>
        <source>The JPEG file is empty.</source>
        <translation>JPEG 文件是空的。</translation>
    </message>
    <message>
        <source>The picture cannot be read as JPEG: %1.</source>
        <translation>无法按 JPEG 读取该图片：%1。</translation>
    </message>
    <message>
        <source>There is not enough memory for a %1 × %2 picture.</source>
        <translation>内存不足，无法容纳 %1 × %2 的图片。</translation>
    </message>
    <message>
        <source>An empty picture cannot be written as JPEG.</source>
        <translation>空图片不能写成 JPEG。</translation>
    </message>
    <message>
        <source>The picture cannot be written as JPEG: %1.</source>
        <translation>无法将图片写成 JPEG：%1。</translation>
    </message>
</context>
<context>
    <name>JpegFailure</name>
    <message>
        <source>it is not a JPEG file</source>
        <translation>它不是 JPEG 文件</translation>
    </message>
    <message>
        <source>the file ends before the picture does</source>
        <translation>文件在图片结束之前就结束了</translation>
    </message>
    <message>
        <source>there is not enough memory</source>
        <translation>内存不足</translation>
    </message>
    <message>
        <source>the picture is too large</source>
        <translation>图片太大</translation>
    </message>
    <message>
        <source>it uses a kind of JPEG that is not supported</source>
        <translation>它使用了不支持的 JPEG 类型</translation>
    </message>
    <message>
        <source>its picture data is damaged</source>
        <translation>其图片数据已损坏</translation>
    </message>
    <message>
        <source>the file is damaged</source>
        <translation>文件已损坏</translation>
    </message>
</context>
<context>
    <name>LoadPlanDialog</name>
    <message>
        <source>(no name), record %1</source>
        <translation>（无名称），记录 %1</translation>
    </message>
    <message>
        <source>%1 (record %2)</source>
        <translation>%1（记录 %2）</translation>
    </message>
    <message>
        <source>Load Pictures from a Folder: What Will Happen</source>
        <translation>从文件夹调入图片：将会发生什么</translation>
    </message>
    <message>
        <source>kept as they are (picture form: file)</source>
        <translation>保持原样（图片形式：文件）</translation>
    </message>
    <message>
        <source>converted to bitmaps (picture form: bitmap)</source>
        <translation>转换为位图（图片形式：位图）</translation>
    </message>
    <message>
        <source>From “%1” into the field “%2” of “%3”, matched by “%4”: %5 of the records get a picture, %6 of them in place of the one they hold. The pictures are %7. Nothing else changes, and the load can be undone.</source>
        <translation>从“%1”调入“%3”的字段“%2”，按“%4”匹配：%5 条记录将得到图片，其中 %6 条替换原有的图片。这些图片将%7。其他内容都不会改变，并且这次调入可以撤销。</translation>
    </message>
    <message>
        <source>The last load into this table (%1 pictures from “%2”, %3) can no longer be undone once this one is done.</source>
        <translation>这次调入完成后，上一次调入此数据表的操作（来自“%2”的 %1 张图片，%3）将无法再撤销。</translation>
    </message>
    <message>
        <source>Files matched to a record</source>
        <translation>与记录匹配的文件</translation>
    </message>
    <message>
        <source>Files without a record</source>
        <translation>没有对应记录的文件</translation>
    </message>
    <message>
        <source>Records without a file</source>
        <translation>没有对应文件的记录</translation>
    </message>
    <message>
        <source>Names of several records or files (not loaded)</source>
        <translation>对应多条记录或多个文件的名称（不调入）</translation>
    </message>
    <message>
        <source>Matched files that are no pictures (not loaded)</source>
        <translation>已匹配但不是图片的文件（不调入）</translation>
    </message>
    <message>
        <source>File</source>
        <translation>文件</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>记录</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>大小</translation>
    </message>
    <message>
        <source>Its picture</source>
        <translation>原有图片</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>Records</source>
        <translation>记录</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>文件</translation>
    </message>
    <message>
        <source>replaced</source>
        <translation>替换</translation>
    </message>
    <message>
        <source>none yet</source>
        <translation>尚无</translation>
    </message>
    <message numerus="yes">
        <source>Load %n Picture(s)</source>
        <translation>
            <numerusform>调入 %n 张图片</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>LoadUndo</name>
    <message>
        <source>The field “%1” that the last picture load filled is no longer in the table “%2”, so the load cannot be undone.</source>
        <translation>上一次调入图片所填写的字段“%1”已不在数据表“%2”中，因此无法撤销这次调入。</translation>
    </message>
    <message>
        <source>undoing the last picture load into “%1”</source>
        <translation>撤销上一次向“%1”调入图片</translation>
    </message>
    <message>
        <source>Since the last picture load into “%1”, %2 of the %3 records it filled have been changed and %4 deleted, so nothing was undone. Undoing it while keeping those records as they are now restores the others.</source>
        <translation>自上一次向“%1”调入图片以来，它所填写的 %3 条记录中有 %2 条已被修改、%4 条已被删除，因此没有撤销任何内容。若撤销时让这些记录保持现状，则其余记录会被复原。</translation>
    </message>
</context>
<context>
    <name>OfficeFailure</name>
    <message>
        <source>the spreadsheet application broke off the work</source>
        <translation>电子表格程序中断了工作</translation>
    </message>
    <message>
        <source>the file or its folder does not exist</source>
        <translation>文件或其所在文件夹不存在</translation>
    </message>
    <message>
        <source>the file already exists</source>
        <translation>文件已存在</translation>
    </message>
    <message>
        <source>the file may not be read or written</source>
        <translation>不允许读写该文件</translation>
    </message>
    <message>
        <source>another program is using the file</source>
        <translation>另一个程序正在使用该文件</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>磁盘已满</translation>
    </message>
    <message>
        <source>the file could not be written</source>
        <translation>无法写入文件</translation>
    </message>
    <message>
        <source>the file could not be read as a workbook</source>
        <translation>无法按工作簿读取该文件</translation>
    </message>
    <message>
        <source>the file name is not valid</source>
        <translation>文件名无效</translation>
    </message>
    <message>
        <source>the spreadsheet application cannot do this</source>
        <translation>电子表格程序无法执行此操作</translation>
    </message>
    <message>
        <source>the spreadsheet application refused the call</source>
        <translation>电子表格程序拒绝了这次调用</translation>
    </message>
</context>
<context>
    <name>PgCatalog</name>
    <message>
        <source>The table “%1” does not exist in the database “%2”.</source>
        <translation>数据库“%2”中不存在数据表“%1”。</translation>
    </message>
</context>
<context>
    <name>PgConnection</name>
    <message>
        <source>There is not enough memory to connect to the database server of “%1”.</source>
        <translation>内存不足，无法连接“%1”的数据库服务器。</translation>
    </message>
    <message>
        <source>The name “%1” cannot be used on the database server of “%2”.</source>
        <translation>名称“%1”不能在“%2”的数据库服务器上使用。</translation>
    </message>
</context>
<context>
    <name>PgConnectionInfo</name>
    <message>
        <source>The connection settings of “%1” cannot be read (%2). Write them as key=value pairs or as a postgresql:// address.</source>
        <translation>无法读取“%1”的连接设置（%2）。请写成 key=value 形式或 postgresql:// 地址。</translation>
    </message>
    <message>
        <source>The connection settings of “%1” hold a password. Tabvale does not keep passwords in its alias file: put it in ~/.pgpass or in the service file, or leave it out and Tabvale asks for it.</source>
        <translation>“%1”的连接设置中含有密码。Tabvale 不在别名文件中保存密码：请把它放进 ~/.pgpass 或服务文件，或者不写，由 Tabvale 询问。</translation>
    </message>
    <message>
        <source>The database “%1” names no server: its alias needs Service= (a name from the PostgreSQL service file) or ConnInfo=.</source>
        <translation>数据库“%1”没有指定服务器：其别名需要 Service=（PostgreSQL 服务文件中的名称）或 ConnInfo=。</translation>
    </message>
</context>
<context>
    <name>PgFailure</name>
    <message numerus="yes">
        <source>The database server of “%1” (%2) did not answer within %n second(s). It may be down, or the network cannot reach it.</source>
        <translation>
            <numerusform>“%1”的数据库服务器（%2）在 %n 秒内没有响应。它可能已停止运行，或者网络无法到达。</numerusform>
        </translation>
    </message>
    <message>
        <source>The database server of “%1” refused the password given for user “%2”.</source>
        <translation>“%1”的数据库服务器拒绝了为用户“%2”输入的密码。</translation>
    </message>
    <message>
        <source>The database server of “%1” refused the password for user “%2” that ~/.pgpass or the service file holds.</source>
        <translation>“%1”的数据库服务器拒绝了 ~/.pgpass 或服务文件中用户“%2”的密码。</translation>
    </message>
    <message>
        <source>The database server of “%1” refused the login of user “%2”: there is no such user, the user may not log in, or the server does not accept this connection.</source>
        <translation>“%1”的数据库服务器拒绝了用户“%2”登录：该用户不存在、不允许登录，或者服务器不接受这种连接。</translation>
    </message>
    <message>
        <source>The database “%2” does not exist on the server of “%1”.</source>
        <translation>“%1”的服务器上不存在数据库“%2”。</translation>
    </message>
    <message>
        <source>User “%2” may not connect to the database “%3” on the server of “%1”.</source>
        <translation>用户“%2”无权连接“%1”服务器上的数据库“%3”。</translation>
    </message>
    <message>
        <source>The database server of “%1” is starting up or shutting down. Try again in a moment.</source>
        <translation>“%1”的数据库服务器正在启动或关闭。请稍后再试。</translation>
    </message>
    <message>
        <source>The database server of “%1” takes no more connections at the moment. Try again later.</source>
        <translation>“%1”的数据库服务器目前不再接受连接。请稍后再试。</translation>
    </message>
    <message>
        <source>Could not connect to the database server of “%1”: %2.</source>
        <translation>无法连接“%1”的数据库服务器：%2。</translation>
    </message>
    <message>
        <source>The database server of “%1” asks for the password of user “%2”, and none is known. Put it in ~/.pgpass or in the service file.</source>
        <translation>“%1”的数据库服务器要求用户“%2”的密码，但没有已知的密码。请把它放进 ~/.pgpass 或服务文件。</translation>
    </message>
    <message>
        <source>No connection to the database server of “%1”: no password was given for user “%2”.</source>
        <translation>未连接“%1”的数据库服务器：没有为用户“%2”输入密码。</translation>
    </message>
    <message>
        <source>The database server of “%1” stopped the command because it took longer than its time limit (%2).</source>
        <translation>“%1”的数据库服务器中止了该命令，因为它超过了时间限制（%2）。</translation>
    </message>
    <message>
        <source>The database server of “%1” could not carry out the command: %2.</source>
        <translation>“%1”的数据库服务器无法执行该命令：%2。</translation>
    </message>
    <message>
        <source>The connection to the database server of “%1” was lost. The next action connects again.</source>
        <translation>与“%1”的数据库服务器的连接已断开。下一次操作时会重新连接。</translation>
    </message>
    <message>
        <source>The database server of “%1” cannot be reached at %2. It may not be running, the address in the connection settings may be wrong, or a secure connection could not be made.</source>
        <translation>无法通过 %2 连接到“%1”的数据库服务器。服务器可能没有运行，连接设置中的地址可能有误，或者无法建立安全连接。</translation>
    </message>
    <message>
        <source>another record already has the same value in a field that must be unique</source>
        <translation>另一条记录在必须唯一的字段中已有相同的值</translation>
    </message>
    <message>
        <source>a field that must have a value was left empty</source>
        <translation>必须有值的字段为空</translation>
    </message>
    <message>
        <source>the record is linked to records of another table</source>
        <translation>该记录与另一个数据表的记录相关联</translation>
    </message>
    <message>
        <source>a value breaks a rule of the table</source>
        <translation>有一个值违反了数据表的规则</translation>
    </message>
    <message>
        <source>the rules of the database refuse the change</source>
        <translation>数据库的规则拒绝了这次修改</translation>
    </message>
    <message>
        <source>a value does not suit its field</source>
        <translation>有一个值与其字段不符</translation>
    </message>
    <message>
        <source>the database can only be read</source>
        <translation>该数据库只能读取</translation>
    </message>
    <message>
        <source>another program was changing the same records; try again</source>
        <translation>另一个程序正在修改同样的记录；请重试</translation>
    </message>
    <message>
        <source>another program is using the records</source>
        <translation>另一个程序正在使用这些记录</translation>
    </message>
    <message>
        <source>the user may not do this</source>
        <translation>该用户无权这样做</translation>
    </message>
    <message>
        <source>the login was refused</source>
        <translation>登录被拒绝</translation>
    </message>
    <message>
        <source>the table or a field is not as Tabvale expects: it may have been changed meanwhile</source>
        <translation>数据表或字段与 Tabvale 预期的不一致：可能在此期间被修改过</translation>
    </message>
    <message>
        <source>the server&apos;s disk is full</source>
        <translation>服务器的磁盘已满</translation>
    </message>
    <message>
        <source>the server has not enough memory</source>
        <translation>服务器内存不足</translation>
    </message>
    <message>
        <source>the server has not enough resources</source>
        <translation>服务器资源不足</translation>
    </message>
    <message>
        <source>the server is shutting down</source>
        <translation>服务器正在关闭</translation>
    </message>
    <message>
        <source>the connection broke</source>
        <translation>连接中断了</translation>
    </message>
    <message>
        <source>the server reports an internal fault</source>
        <translation>服务器报告内部故障</translation>
    </message>
    <message>
        <source>the server refused it</source>
        <translation>服务器拒绝了它</translation>
    </message>
</context>
<context>
    <name>PgKeyMap</name>
    <message>
        <source>Too many records were added between the same two records of the table “%1” while it was open here. Close the table and open it again to go on.</source>
        <translation>数据表“%1”在此打开期间，其他用户在同样两条记录之间添加了太多记录。请关闭该数据表并重新打开后再继续。</translation>
    </message>
</context>
<context>
    <name>PgMaintenance</name>
    <message>
        <source>No table is open.</source>
        <translation>没有打开的数据表。</translation>
    </message>
    <message>
        <source>Records of %1 refer to records of the table “%2”; on the server, %3 would change those records too or be refused. Nothing was changed.</source>
        <translation>%1 的记录引用了数据表“%2”的记录；在服务器上，%3会同时修改那些记录，或者被拒绝。没有做任何更改。</translation>
    </message>
    <message>
        <source>, </source>
        <translation>、</translation>
    </message>
    <message>
        <source>Other users are working with the table “%1” right now, so it was not compacted. Try again when they are done.</source>
        <translation>其他用户正在使用数据表“%1”，所以没有压缩它。请在他们用完之后再试。</translation>
    </message>
    <message>
        <source>The backup table “%1” cannot be emptied into itself.</source>
        <translation>备份数据表“%1”不能清空到它自身。</translation>
    </message>
    <message>
        <source>emptying it</source>
        <translation>清空它</translation>
    </message>
    <message>
        <source>The backup table “%1” cannot be restored onto itself.</source>
        <translation>备份数据表“%1”不能恢复到它自身。</translation>
    </message>
    <message>
        <source>The backup was taken from a table with other fields than “%1”; restoring it would change the table&apos;s definition, which Tabvale does not do on a server. Nothing was changed.</source>
        <translation>备份来自一个字段与“%1”不同的数据表；恢复它会改变该数据表的定义，而 Tabvale 不会在服务器上这样做。没有做任何更改。</translation>
    </message>
    <message>
        <source>The table “%1” is open in another window: close it there before deleting the table.</source>
        <translation>数据表“%1”在另一个窗口中打开：请先在那里关闭它，再删除该数据表。</translation>
    </message>
    <message>
        <source>deleting it</source>
        <translation>删除它</translation>
    </message>
    <message>
        <source>The unreadable values of “%1” cannot be cleared: %2</source>
        <translation>无法清除“%1”中无法读取的值：%2</translation>
    </message>
    <message>
        <source>Other users are working with the table “%1” right now, so nothing was changed. Try again when they are done.</source>
        <translation>其他用户正在使用数据表“%1”，所以什么都没有更改。请在他们用完之后再试。</translation>
    </message>
    <message>
        <source>The unreadable values of “%1” cannot be cleared: the table has no primary key to find its records by.</source>
        <translation>无法清除“%1”中无法读取的值：该表没有主键，无法找到其记录。</translation>
    </message>
</context>
<context>
    <name>PgPasswords</name>
    <message>
        <source>Password of user “%1” for the database “%2” of “%3”:</source>
        <translation>“%3”的数据库“%2”的用户“%1”的密码：</translation>
    </message>
</context>
<context>
    <name>PgResult</name>
    <message>
        <source>The value in the field “%1” is not a whole number.</source>
        <translation>字段“%1”中的值不是整数。</translation>
    </message>
</context>
<context>
    <name>PgTableDriver</name>
    <message>
        <source>%1 is not possible: %2</source>
        <translation>无法%1：%2</translation>
    </message>
    <message>
        <source>The table “%1” has no primary key, so Tabvale cannot tell its records apart on the server: it is open read-only. Give the table a primary key on the server to change its records here.</source>
        <translation>数据表“%1”没有主键，Tabvale 无法在服务器上区分它的记录：它以只读方式打开。请在服务器上为该数据表设置主键，才能在这里修改它的记录。</translation>
    </message>
    <message>
        <source>A record of the table “%1” is no longer known here; refresh the table.</source>
        <translation>此处已不再认识数据表“%1”的某条记录；请刷新该数据表。</translation>
    </message>
</context>
<context>
    <name>PictureColumns</name>
    <message>
        <source>The table “%1” has no field “%2”.</source>
        <translation>数据表“%1”没有字段“%2”。</translation>
    </message>
    <message>
        <source>The field “%1” holds no pictures: choose a picture field (declared GRAPHIC, IMAGE, PICTURE, TYPEDBINARY or BLOB).</source>
        <translation>字段“%1”不存放图片：请选择图片字段（声明为 GRAPHIC、IMAGE、PICTURE、TYPEDBINARY 或 BLOB 的字段）。</translation>
    </message>
    <message>
        <source>The field “%1” holds pictures, so its values cannot name files: choose a field of text or numbers.</source>
        <translation>字段“%1”存放的是图片，其值不能用作文件名：请选择文本或数字字段。</translation>
    </message>
</context>
<context>
    <name>PictureExport</name>
    <message>
        <source>The picture file “%1” cannot be written: %2.</source>
        <translation>无法写入图片文件“%1”：%2。</translation>
    </message>
    <message>
        <source>The folder “%1” does not exist.</source>
        <translation>文件夹“%1”不存在。</translation>
    </message>
</context>
<context>
    <name>PictureFile</name>
    <message>
        <source>The %1 picture cannot be read: %2.</source>
        <translation>无法读取该 %1 图片：%2。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a JPEG or bitmap file.</source>
        <translation>“%1”不是 JPEG 或位图文件。</translation>
    </message>
    <message>
        <source>Cannot open the picture file &quot;%1&quot;: %2</source>
        <translation>无法打开图片文件“%1”：%2</translation>
    </message>
    <message>
        <source>Cannot read the picture file &quot;%1&quot;: %2</source>
        <translation>无法读取图片文件“%1”：%2</translation>
    </message>
    <message>
        <source>The GIF picture cannot be read: its image data is incomplete.</source>
        <translation>无法读取该 GIF 图片：其图像数据不完整。</translation>
    </message>
    <message>
        <source>The data is not a picture: it is neither a bitmap nor a JPEG, PNG or GIF file.</source>
        <translation>这些数据不是图片：既不是位图，也不是 JPEG、PNG 或 GIF 文件。</translation>
    </message>
</context>
<context>
    <name>PictureFolderDialog</name>
    <message>
        <source>Export Pictures to a Folder</source>
        <translation>将图片导出到文件夹</translation>
    </message>
    <message>
        <source>Load Pictures from a Folder</source>
        <translation>从文件夹调入图片</translation>
    </message>
    <message>
        <source>Every picture of the field is written as a file, named by the naming field&apos;s value in its record. Existing files are not replaced without asking.</source>
        <translation>该字段的每张图片都写成一个文件，以所在记录中命名字段的值为文件名。已有的文件不经询问不会被替换。</translation>
    </message>
    <message>
        <source>Every picture file of the folder whose name (without its extension) is the naming field&apos;s value in one record goes into that record&apos;s picture field. You see what matches before anything changes, and the load can be undone.</source>
        <translation>文件夹中的图片文件，若其名称（不含扩展名）等于某条记录中命名字段的值，就调入该记录的图片字段。在做任何修改之前，您会先看到匹配结果，并且这次调入可以撤销。</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>选择…</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>导出</translation>
    </message>
    <message>
        <source>Look at the Folder</source>
        <translation>查看文件夹</translation>
    </message>
    <message>
        <source>Table:</source>
        <translation>数据表：</translation>
    </message>
    <message>
        <source>Picture field:</source>
        <translation>图片字段：</translation>
    </message>
    <message>
        <source>Files named by:</source>
        <translation>文件命名依据：</translation>
    </message>
    <message>
        <source>Write into folder:</source>
        <translation>写入文件夹：</translation>
    </message>
    <message>
        <source>Read from folder:</source>
        <translation>读取文件夹：</translation>
    </message>
    <message>
        <source>Folder to write the pictures into</source>
        <translation>写入图片的文件夹</translation>
    </message>
    <message>
        <source>Folder to load the pictures from</source>
        <translation>调入图片的文件夹</translation>
    </message>
</context>
<context>
    <name>PictureLimits</name>
    <message>
        <source>The %1 picture declares an empty size (%2 × %3).</source>
        <translation>该 %1 图片声明的尺寸为空（%2 × %3）。</translation>
    </message>
    <message>
        <source>The %1 picture declares a size of %2 × %3 pixels, beyond the %4 megapixels this program opens.</source>
        <translation>该 %1 图片声明的尺寸为 %2 × %3 像素，超过了本程序能打开的 %4 百万像素。</translation>
    </message>
</context>
<context>
    <name>PictureLoad</name>
    <message>
        <source>the disk is full, or the database has reached its largest size.</source>
        <translation>磁盘已满，或者数据库已达到其最大容量。</translation>
    </message>
    <message>
        <source>the picture is larger than the database takes.</source>
        <translation>图片超过了数据库能接受的大小。</translation>
    </message>
    <message>
        <source>another program is writing to the database.</source>
        <translation>另一个程序正在写入数据库。</translation>
    </message>
    <message>
        <source>“%1” could not be loaded into the record “%2”: %3 Nothing was loaded: the table is as it was.</source>
        <translation>无法将“%1”调入记录“%2”：%3未调入任何图片：数据表保持原样。</translation>
    </message>
    <message>
        <source>loading pictures into “%1”</source>
        <translation>向“%1”调入图片</translation>
    </message>
    <message>
        <source>the record has been deleted since the folder was looked at.</source>
        <translation>查看文件夹之后，该记录已被删除。</translation>
    </message>
</context>
<context>
    <name>PicturesTool</name>
    <message>
        <source>Usage:
  tabvale-pictures export ALIAS TABLE FIELD --name-by FIELD DIR [--overwrite|--keep-both]
      writes every picture of FIELD as a file in DIR, named by the --name-by field.
      A file that exists already is skipped and listed, unless --overwrite replaces it
      or --keep-both writes the new one under a numbered name.
  tabvale-pictures load ALIAS TABLE FIELD --name-by FIELD DIR [--dry-run]
      loads the pictures of DIR into the records whose --name-by value names the file
      (the extension left out), in one transaction. The dry run is printed first;
      with --dry-run nothing else happens.
  tabvale-pictures undo-load ALIAS TABLE [--keep-changed]
      undoes the last load into TABLE. If records it filled were changed or deleted
      since, nothing is undone unless --keep-changed keeps those as they are.
Exit status: 0 done, 1 refused or failed, 2 wrong arguments, 3 an export left
pictures out.
</source>
        <translation>用法：
  tabvale-pictures export 别名 数据表 字段 --name-by 字段 文件夹 [--overwrite|--keep-both]
      将“字段”的每张图片写成“文件夹”中的一个文件，以 --name-by 字段的值命名。
      已存在的文件会被跳过并列出，除非用 --overwrite 替换它，
      或用 --keep-both 以带编号的名称写入新文件。
  tabvale-pictures load 别名 数据表 字段 --name-by 字段 文件夹 [--dry-run]
      将“文件夹”中的图片调入 --name-by 值等于文件名（不含扩展名）的记录，
      在一个事务中完成。先打印试运行的结果；
      使用 --dry-run 时不做其他任何事。
  tabvale-pictures undo-load 别名 数据表 [--keep-changed]
      撤销上一次向“数据表”的调入。如果它填写的记录之后被修改或删除，
      则不撤销任何内容，除非用 --keep-changed 让这些记录保持现状。
退出状态：0 完成，1 被拒绝或失败，2 参数错误，3 导出时有图片
未写出。
</translation>
    </message>
    <message>
        <source>(no name), record %1</source>
        <translation>（无名称），记录 %1</translation>
    </message>
    <message>
        <source>%1 (record %2)</source>
        <translation>%1（记录 %2）</translation>
    </message>
    <message>
        <source>%1 -&gt; %2%3</source>
        <translation>%1 -&gt; %2%3</translation>
    </message>
    <message>
        <source>, replaces its picture</source>
        <translation>，替换其原有图片</translation>
    </message>
    <message>
        <source>Files matched to a record (%1):</source>
        <translation>与记录匹配的文件（%1）：</translation>
    </message>
    <message>
        <source>Files without a record (%1):</source>
        <translation>没有对应记录的文件（%1）：</translation>
    </message>
    <message>
        <source>Records without a file (%1):</source>
        <translation>没有对应文件的记录（%1）：</translation>
    </message>
    <message>
        <source>%1: %2 records, files %3</source>
        <translation>%1：%2 条记录，文件 %3</translation>
    </message>
    <message>
        <source>Names matching several records or files, not loaded (%1):</source>
        <translation>对应多条记录或多个文件的名称，不调入（%1）：</translation>
    </message>
    <message>
        <source>Matched files that are no pictures, not loaded (%1):</source>
        <translation>已匹配但不是图片的文件，不调入（%1）：</translation>
    </message>
    <message>
        <source>Written: %1, existing files skipped: %2, unreadable: %3, records without a picture: %4.
</source>
        <translation>已写入：%1，跳过的已有文件：%2，无法读取：%3，没有图片的记录：%4。
</translation>
    </message>
    <message>
        <source>Skipped, the file exists: %1
</source>
        <translation>已跳过，文件已存在：%1
</translation>
    </message>
    <message>
        <source>Unreadable, not written: %1
</source>
        <translation>无法读取，未写入：%1
</translation>
    </message>
    <message>
        <source>Loaded %1 pictures (%2 of them replaced one); undo-load undoes it.
</source>
        <translation>已调入 %1 张图片（其中 %2 张替换了原有图片）；undo-load 可以撤销。
</translation>
    </message>
    <message>
        <source>tabvale-pictures: there is no picture load into “%1” to undo.
</source>
        <translation>tabvale-pictures：没有可撤销的向“%1”调入图片的操作。
</translation>
    </message>
    <message>
        <source>Restored %1 records; kept as they are now: %2 changed, %3 deleted.
</source>
        <translation>已复原 %1 条记录；保持现状的：%2 条已修改，%3 条已删除。
</translation>
    </message>
</context>
<context>
    <name>ReleaseSequence</name>
    <message>
        <source>the spreadsheet application does not answer</source>
        <translation>电子表格程序没有响应</translation>
    </message>
</context>
<context>
    <name>SampleDatabase</name>
    <message>
        <source>The sample database “%1” cannot be put in place.</source>
        <translation>无法放置示例数据库“%1”。</translation>
    </message>
    <message>
        <source>The sample picture “%1” cannot be written.</source>
        <translation>无法写入示例图片“%1”。</translation>
    </message>
</context>
<context>
    <name>SchemaText</name>
    <message>
        <source>The database holds a definition Tabvale cannot read: “%1”.</source>
        <translation>数据库中有一个 Tabvale 无法读取的定义：“%1”。</translation>
    </message>
</context>
<context>
    <name>SqliteFailure</name>
    <message>
        <source>another record already has the same value in a field that must be unique</source>
        <translation>另一条记录在必须唯一的字段中已有相同的值</translation>
    </message>
    <message>
        <source>a field that must have a value was left empty</source>
        <translation>必须有值的字段为空</translation>
    </message>
    <message>
        <source>the record is linked to records of another table</source>
        <translation>该记录与另一个数据表的记录相关联</translation>
    </message>
    <message>
        <source>a value breaks a rule of the table</source>
        <translation>有一个值违反了数据表的规则</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>磁盘已满</translation>
    </message>
    <message>
        <source>another program is using the database</source>
        <translation>另一个程序正在使用该数据库</translation>
    </message>
    <message>
        <source>the database can only be read</source>
        <translation>该数据库只能读取</translation>
    </message>
    <message>
        <source>the database file is damaged</source>
        <translation>数据库文件已损坏</translation>
    </message>
    <message>
        <source>the file is not a database</source>
        <translation>该文件不是数据库</translation>
    </message>
    <message>
        <source>the disk could not be read or written</source>
        <translation>无法读写磁盘</translation>
    </message>
    <message>
        <source>the database file cannot be opened</source>
        <translation>无法打开数据库文件</translation>
    </message>
    <message>
        <source>the database may not be used this way</source>
        <translation>不允许这样使用该数据库</translation>
    </message>
    <message>
        <source>there is not enough memory</source>
        <translation>内存不足</translation>
    </message>
    <message>
        <source>it was stopped</source>
        <translation>操作被中止</translation>
    </message>
    <message>
        <source>a value is too large for the database</source>
        <translation>有一个值对数据库来说太大</translation>
    </message>
    <message>
        <source>the rules of the database refuse the change</source>
        <translation>数据库的规则拒绝了这次修改</translation>
    </message>
    <message>
        <source>another program changed the tables meanwhile</source>
        <translation>在此期间另一个程序修改了数据表</translation>
    </message>
    <message>
        <source>a value does not suit its field</source>
        <translation>有一个值与其字段不符</translation>
    </message>
    <message>
        <source>the database could not carry out the command</source>
        <translation>数据库无法执行该命令</translation>
    </message>
    <message>
        <source>Could not finish %1: %2. Nothing was changed.</source>
        <translation>未能完成%1：%2。未做任何更改。</translation>
    </message>
    <message>
        <source>Could not finish %1: %2.</source>
        <translation>未能完成%1：%2。</translation>
    </message>
    <message>
        <source>the database refuses the change: “%1”</source>
        <translation>数据库拒绝了这次修改：“%1”</translation>
    </message>
</context>
<context>
    <name>Statement</name>
    <message>
        <source>reading the database “%1”</source>
        <translation>读取数据库“%1”</translation>
    </message>
    <message>
        <source>storing a change in the database “%1”</source>
        <translation>在数据库“%1”中保存修改</translation>
    </message>
</context>
<context>
    <name>StoredPicture</name>
    <message>
        <source>The picture cannot be written as a PNG file: %1.</source>
        <translation>无法将图片写成 PNG 文件：%1。</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>Export Pictures to a Folder…</source>
        <translation>将图片导出到文件夹…</translation>
    </message>
    <message>
        <source>Load Pictures from a Folder by Name…</source>
        <translation>按名称从文件夹调入图片…</translation>
    </message>
    <message>
        <source>Undo the Last Picture Load…</source>
        <translation>撤销上一次调入图片…</translation>
    </message>
    <message numerus="yes">
        <source>“%1”: %n record(s)</source>
        <translation>
            <numerusform>“%1”：%n 条记录</numerusform>
        </translation>
    </message>
    <message>
        <source>They are kept as they are, and will refer to records that are no longer there. Delete the table?</source>
        <translation>它们将保持原样，并会指向已不存在的记录。是否删除该数据表？</translation>
    </message>
    <message>
        <source>They are kept as they are, and until the table is restored they refer to records that are not there. Empty the table?</source>
        <translation>它们将保持原样，在数据表恢复之前会指向不存在的记录。是否清空该数据表？</translation>
    </message>
    <message>
        <source>Records of other tables refer to the records of “%1”:

%2

%3</source>
        <translation>其他数据表的记录指向“%1”的记录：

%2

%3</translation>
    </message>
    <message>
        <source>Related records</source>
        <translation>相关记录</translation>
    </message>
    <message>
        <source>Open a table first.</source>
        <translation>请先打开一个数据表。</translation>
    </message>
    <message>
        <source> and %1 more</source>
        <translation>，另有 %1 个</translation>
    </message>
    <message>
        <source>Export Pictures to a Folder</source>
        <translation>将图片导出到文件夹</translation>
    </message>
    <message>
        <source>The folder already holds files of the names the export gives, the first “%1”. What should happen to such files?</source>
        <translation>文件夹中已有与导出文件同名的文件，第一个是“%1”。这些文件应如何处理？</translation>
    </message>
    <message>
        <source>Keep Them, Skip the Pictures</source>
        <translation>保留它们，跳过这些图片</translation>
    </message>
    <message>
        <source>Replace Them</source>
        <translation>替换它们</translation>
    </message>
    <message>
        <source>Keep Both, Number the New Ones</source>
        <translation>两者都保留，新文件加编号</translation>
    </message>
    <message>
        <source>The export was stopped. </source>
        <translation>导出已中止。</translation>
    </message>
    <message>
        <source>%1 pictures were written to “%2”.</source>
        <translation>已将 %1 张图片写入“%2”。</translation>
    </message>
    <message>
        <source>%1 were not, as their files existed and were kept: %2.</source>
        <translation>有 %1 张没有写入，因为同名文件已存在并被保留：%2。</translation>
    </message>
    <message>
        <source>%1 records hold no readable picture and were left out: %2.</source>
        <translation>有 %1 条记录没有可读取的图片，已略过：%2。</translation>
    </message>
    <message>
        <source>%1 records have no picture.</source>
        <translation>有 %1 条记录没有图片。</translation>
    </message>
    <message>
        <source>Undo the load of %1 pictures from “%2” into the field “%3” (%4)? The records get back the pictures they held before.</source>
        <translation>是否撤销从“%2”向字段“%3”调入的 %1 张图片（%4）？这些记录将恢复原来的图片。</translation>
    </message>
    <message>
        <source>%1 of the records have been changed since and keep what they hold now: %2.</source>
        <translation>其中 %1 条记录之后被修改过，将保留现在的内容：%2。</translation>
    </message>
    <message>
        <source>%1 of the records have been deleted since.</source>
        <translation>其中 %1 条记录之后已被删除。</translation>
    </message>
    <message>
        <source>Written: %1 of %2 records</source>
        <translation>已写入：%1 / %2 条记录</translation>
    </message>
    <message>
        <source>Load Pictures from a Folder</source>
        <translation>从文件夹调入图片</translation>
    </message>
    <message>
        <source>Loaded: %1 of %2 pictures</source>
        <translation>已调入：%1 / %2 张图片</translation>
    </message>
    <message>
        <source>%1 pictures were loaded, %2 of them in place of a picture. “%3” in the data menu undoes the load.</source>
        <translation>已调入 %1 张图片，其中 %2 张替换了原有图片。数据菜单中的“%3”可以撤销这次调入。</translation>
    </message>
    <message>
        <source>No picture load into “%1” is left to undo.</source>
        <translation>没有可撤销的向“%1”调入图片的操作。</translation>
    </message>
    <message>
        <source>Undo the Last Picture Load</source>
        <translation>撤销上一次调入图片</translation>
    </message>
</context>
<context>
    <name>TForm1Pictures</name>
    <message>
        <source>The picture has no table to be stored in.</source>
        <translation>该图片没有可存入的数据表。</translation>
    </message>
    <message>
        <source>No field is selected in the grid.</source>
        <translation>表格中没有选中字段。</translation>
    </message>
</context>
<context>
    <name>TForm1Spreadsheet</name>
    <message>
        <source>the spreadsheet application is not installed</source>
        <translation>没有安装电子表格程序</translation>
    </message>
    <message>
        <source>No table is open: choose the table to put into the spreadsheet first.</source>
        <translation>没有打开的数据表：请先选择要调入电子表格的数据表。</translation>
    </message>
    <message>
        <source>Putting the table “%1” into the spreadsheet stopped at row %2 of its sheet: %3</source>
        <translation>将数据表“%1”调入电子表格时，在工作表第 %2 行中止：%3</translation>
    </message>
    <message>
        <source>Nothing was written back</source>
        <translation>没有写回任何内容</translation>
    </message>
    <message>
        <source>Writing back stopped</source>
        <translation>写回已中止</translation>
    </message>
    <message>
        <source>Writing back the sheet “%1” of %2 stopped at row %3: %4 Nothing of that sheet was stored.</source>
        <translation>写回 %2 的工作表“%1”时在第 %3 行中止：%4该工作表的内容均未保存。</translation>
    </message>
</context>
<context>
    <name>TOpenPictureDialog</name>
    <message>
        <source>Up one level</source>
        <translation>向上一级</translation>
    </message>
</context>
<context>
    <name>TTable</name>
    <message>
        <source>The table “%1” is open: close it before choosing another database.</source>
        <translation>数据表“%1”已打开：请先关闭它，再选择其他数据库。</translation>
    </message>
    <message>
        <source>The table “%1” is open: close it before choosing another table.</source>
        <translation>数据表“%1”已打开：请先关闭它，再选择其他数据表。</translation>
    </message>
    <message>
        <source>No database has been chosen for the table “%1”.</source>
        <translation>还没有为数据表“%1”选择数据库。</translation>
    </message>
    <message>
        <source>No table name has been given.</source>
        <translation>没有给出数据表名称。</translation>
    </message>
    <message>
        <source>The table “%1” is not open.</source>
        <translation>数据表“%1”没有打开。</translation>
    </message>
    <message>
        <source>The table “%1” is open: close it before deleting it.</source>
        <translation>数据表“%1”已打开：请先关闭它，再删除。</translation>
    </message>
    <message>
        <source>deleting the table “%1”</source>
        <translation>删除数据表“%1”</translation>
    </message>
    <message>
        <source>The table “%1” does not exist in the database “%2”.</source>
        <translation>数据库“%2”中不存在数据表“%1”。</translation>
    </message>
    <message>
        <source>The table “%1” has no field number %2.</source>
        <translation>数据表“%1”没有第 %2 个字段。</translation>
    </message>
    <message>
        <source>The table “%1” has no field “%2”.</source>
        <translation>数据表“%1”没有字段“%2”。</translation>
    </message>
    <message>
        <source>The bookmark marks no record.</source>
        <translation>该书签没有标记任何记录。</translation>
    </message>
    <message>
        <source>The marked record is no longer in the table “%1”.</source>
        <translation>标记的记录已不在数据表“%1”中。</translation>
    </message>
    <message>
        <source>changing the table “%1”</source>
        <translation>修改数据表“%1”</translation>
    </message>
    <message>
        <source>adding a record to the table “%1”</source>
        <translation>向数据表“%1”添加记录</translation>
    </message>
    <message>
        <source>The record being changed is no longer in the table “%1”; the change was not saved.</source>
        <translation>正在修改的记录已不在数据表“%1”中；修改没有保存。</translation>
    </message>
    <message>
        <source>The table “%1” has no record to delete.</source>
        <translation>数据表“%1”中没有可删除的记录。</translation>
    </message>
    <message>
        <source>deleting a record of the table “%1”</source>
        <translation>删除数据表“%1”的一条记录</translation>
    </message>
    <message>
        <source>The table “%1” is no longer in the database “%2”.</source>
        <translation>数据表“%1”已不在数据库“%2”中。</translation>
    </message>
    <message>
        <source>Only the first %1 records of the table “%2” could be read: %3 Refresh the table to read it again.</source>
        <translation>只读取到数据表“%2”的前 %1 条记录：%3请刷新数据表以重新读取。</translation>
    </message>
    <message>
        <source>Another user changed or deleted this record of the table “%1” after it was shown here; your change was not saved. The table now shows the records as they are stored.</source>
        <translation>数据表“%1”的这条记录在显示之后已被其他用户修改或删除；您的修改没有保存。数据表现在显示的是已存储的记录。</translation>
    </message>
</context>
<context>
    <name>TTableValues</name>
    <message>
        <source>The memo field “%1” of record %2 in the table “%3” holds data that is not text.</source>
        <translation>数据表“%3”中记录 %2 的备注字段“%1”存放的不是文本数据。</translation>
    </message>
    <message>
        <source>The value “%1” of the field “%2” in record %3 of the table “%4” cannot be read as %5.</source>
        <translation>数据表“%4”中记录 %3 的字段“%2”的值“%1”无法读取为%5。</translation>
    </message>
    <message>
        <source>The table “%1” is not being edited: the field “%2” cannot be changed.</source>
        <translation>数据表“%1”不在编辑状态：无法修改字段“%2”。</translation>
    </message>
</context>
<context>
    <name>TableDefinition</name>
    <message>
        <source>The table “%1” does not exist.</source>
        <translation>数据表“%1”不存在。</translation>
    </message>
    <message>
        <source>The table “%1” is not an ordinary table (%2); Tabvale cannot rebuild it.</source>
        <translation>数据表“%1”不是普通数据表（%2）；Tabvale 无法重建它。</translation>
    </message>
</context>
<context>
    <name>TableMaintenance</name>
    <message>
        <source>No table is open.</source>
        <translation>没有打开的数据表。</translation>
    </message>
    <message>
        <source>The table “%1” does not exist in the database “%2”.</source>
        <translation>数据库“%2”中不存在数据表“%1”。</translation>
    </message>
    <message>
        <source>A transaction is open in the database: the table cannot be changed now.</source>
        <translation>数据库中有一个尚未结束的事务：现在无法修改数据表。</translation>
    </message>
    <message>
        <source>compacting the table “%1”</source>
        <translation>紧缩数据表“%1”</translation>
    </message>
    <message>
        <source>emptying the table “%1”</source>
        <translation>清空数据表“%1”</translation>
    </message>
    <message>
        <source>The backup table “%1” cannot be emptied into itself.</source>
        <translation>备份数据表“%1”不能清空到它自身。</translation>
    </message>
    <message>
        <source>restoring the table “%1”</source>
        <translation>恢复数据表“%1”</translation>
    </message>
    <message>
        <source>The backup table “%1” cannot be restored onto itself.</source>
        <translation>备份数据表“%1”不能恢复到它自身。</translation>
    </message>
    <message>
        <source>clearing the unreadable values of “%1”</source>
        <translation>清除“%1”中无法读取的值</translation>
    </message>
    <message>
        <source>The table “%1” is open in another window: close it there before deleting the table.</source>
        <translation>数据表“%1”在另一个窗口中打开：请先在那里关闭它，再删除该数据表。</translation>
    </message>
    <message>
        <source>deleting the table “%1”</source>
        <translation>删除数据表“%1”</translation>
    </message>
</context>
<context>
    <name>TableSchema</name>
    <message>
        <source>The table “%1” does not exist in the database “%2”.</source>
        <translation>数据库“%2”中不存在数据表“%1”。</translation>
    </message>
    <message>
        <source>The table “%1” has no rowid (a WITHOUT ROWID table, or columns named rowid, _rowid_ and oid); Tabvale cannot tell its records apart.</source>
        <translation>数据表“%1”没有 rowid（它是 WITHOUT ROWID 表，或者有名为 rowid、_rowid_ 和 oid 的列）；Tabvale 无法区分它的记录。</translation>
    </message>
</context>
<context>
    <name>Thumbnail</name>
    <message>
        <source>The picture file “%1” cannot be read: %2.</source>
        <translation>无法读取图片文件“%1”：%2。</translation>
    </message>
    <message>
        <source>There is no picture to make a thumbnail of.</source>
        <translation>没有可生成缩略图的图片。</translation>
    </message>
</context>
<context>
    <name>WorkbookLock</name>
    <message>
        <source>The workbook “%1” is open in the spreadsheet application of %2 on %3 (since %4). Close it there, then put the table into the spreadsheet again.</source>
        <translation>工作簿“%1”正在 %3 上 %2 的电子表格程序中打开（自 %4 起）。请在那里关闭它，然后重新将数据表调入电子表格。</translation>
    </message>
    <message>
        <source>The workbook “%1” is still marked as in use by a spreadsheet application that has ended, and Tabvale may not remove the mark. Delete the file “%2”, then put the table into the spreadsheet again.</source>
        <translation>工作簿“%1”仍被标记为正由一个已结束的电子表格程序使用，而 Tabvale 无权清除该标记。请删除文件“%2”，然后重新将数据表调入电子表格。</translation>
    </message>
</context>
</TS>
