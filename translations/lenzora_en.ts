<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>lenzora::app::JobMenu</name>
    <message>
        <source>打开作业...</source>
        <translation>Open job...</translation>
    </message>
    <message>
        <source>保存作业...</source>
        <translation>Save job...</translation>
    </message>
</context>
<context>
    <name>lenzora::app::MainWindow</name>
    <message>
        <source>系统设定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>光栅片线距</source>
        <translation>Lens pitch (LPI)</translation>
    </message>
    <message>
        <source>现在测量</source>
        <translation>Measure now</translation>
    </message>
    <message>
        <source>DPI:</source>
        <translation>DPI:</translation>
    </message>
    <message>
        <source>合成方式</source>
        <translation>Picture type</translation>
    </message>
    <message>
        <source>立体图或左右变</source>
        <translation>3D / left-right flip</translation>
    </message>
    <message>
        <source>上下变图</source>
        <translation>Up-down flip</translation>
    </message>
    <message>
        <source>输出尺寸</source>
        <translation>Output size</translation>
    </message>
    <message>
        <source>宽：</source>
        <translation>W:</translation>
    </message>
    <message>
        <source>高：</source>
        <translation>H:</translation>
    </message>
    <message>
        <source>毫米</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>Inch</source>
        <translation>inches</translation>
    </message>
    <message>
        <source>Pixels</source>
        <translation>pixels</translation>
    </message>
    <message>
        <source>1米 = 1000 毫米</source>
        <translation>1 m = 1000 mm</translation>
    </message>
    <message>
        <source>输出误差</source>
        <translation>Output correction</translation>
    </message>
    <message>
        <source>参考测试图调整</source>
        <translation>Adjust by the test chart</translation>
    </message>
    <message>
        <source>合成图像来源</source>
        <translation>Frames</translation>
    </message>
    <message>
        <source>图%1</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>合成输出</source>
        <translation>Output</translation>
    </message>
    <message>
        <source>校准线</source>
        <translation>Guide lines</translation>
    </message>
    <message>
        <source>合成(&amp;M)</source>
        <translation>Co&amp;mpose</translation>
    </message>
    <message>
        <source>存盘(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>打印(&amp;P)</source>
        <translation>&amp;Print</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>关于(&amp;A)</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>退出(&amp;E)</source>
        <translation>&amp;Exit</translation>
    </message>
    <message>
        <source>欢迎使用本软件</source>
        <translation>Welcome</translation>
    </message>
    <message>
        <source>File format error!</source>
        <translation>The program cannot read this kind of file.</translation>
    </message>
    <message>
        <source>Merge OK！</source>
        <translation>The picture is composed.</translation>
    </message>
    <message>
        <source>作业(&amp;J)</source>
        <translation>&amp;Job</translation>
    </message>
    <message>
        <source>按拍摄方向摆正照片</source>
        <translation>Upright photos by camera orientation</translation>
    </message>
    <message>
        <source>照片按相机记录的方向摆正; 更改只影响此后载入的图片.</source>
        <translation>Photos are turned upright by the orientation their camera recorded. A change applies to the frames loaded from then on.</translation>
    </message>
    <message>
        <source>效果预览</source>
        <translation>Effect view</translation>
    </message>
    <message>
        <source>%1 个文件未载入: 图16之后没有空位</source>
        <translation>%1 file(s) not loaded: no free slot left up to 16.</translation>
    </message>
    <message>
        <source>自动</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>打印机分辨率: 自动按光栅片选择, 或直接在打印机的网格上合成</source>
        <translation>Printer resolution: Automatic chooses one from the lens sheet; a printer resolution interlaces straight onto the printer&apos;s grid</translation>
    </message>
    <message>
        <source>输出尺寸太大，内存放不下！请用批处理工具 lenzora-cli 合成。</source>
        <translation>Output size too large for memory! Compose it with the batch tool lenzora-cli.</translation>
    </message>
</context>
<context>
    <name>lenzora::app::SlotGestures</name>
    <message>
        <source>清除此图</source>
        <translation>Clear this frame</translation>
    </message>
    <message>
        <source>倒转顺序</source>
        <translation>Reverse the order</translation>
    </message>
    <message>
        <source>全部清除</source>
        <translation>Clear all</translation>
    </message>
</context>
<context>
    <name>lenzora::cli</name>
    <message>
        <source>“%1”没有记录分辨率，请用 --strip 或 --dpi 给出。</source>
        <translation>The file &quot;%1&quot; states no resolution: give one with --strip or --dpi.</translation>
    </message>
</context>
<context>
    <name>lenzora::compose</name>
    <message>
        <source>File format error!</source>
        <translation>The program cannot read this kind of file.</translation>
    </message>
</context>
<context>
    <name>lenzora::core</name>
    <message>
        <source>Invalid floating point operation</source>
        <translation>A number is out of range</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid floating point value</source>
        <translation>&apos;%1&apos; is not a number</translation>
    </message>
    <message>
        <source>Integer overflow</source>
        <translation>A number is too large</translation>
    </message>
    <message>
        <source>Invalid numeric input</source>
        <translation>The settings file holds a value that is not a number</translation>
    </message>
    <message>
        <source>无法打开作业 &quot;%1&quot;: %2</source>
        <translation>Cannot open the job &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>不是 JSON 格式的作业</source>
        <translation>it is not a job in JSON</translation>
    </message>
    <message>
        <source>作业版本 %1 未知</source>
        <translation>unknown job version %1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; 的类型不对</source>
        <translation>&quot;%1&quot; has the wrong type</translation>
    </message>
    <message>
        <source>&quot;%1&quot; 的值 &quot;%2&quot; 无效</source>
        <translation>&quot;%1&quot; has the invalid value &quot;%2&quot;</translation>
    </message>
    <message>
        <source>帧多于 16 个</source>
        <translation>it lists more than 16 frames</translation>
    </message>
    <message>
        <source>文件大于 1 MB</source>
        <translation>the file is larger than 1 MB</translation>
    </message>
    <message>
        <source>找不到这些帧的文件:</source>
        <translation>The files of these frames are missing:</translation>
    </message>
    <message>
        <source>图%1: %2</source>
        <translation>Frame %1: %2</translation>
    </message>
</context>
<context>
    <name>lenzora::interlace</name>
    <message>
        <source>Photo%1 not select！！</source>
        <translation>Frame %1 has no picture yet.</translation>
    </message>
    <message>
        <source>Photo%1 not select！</source>
        <translation>Frame %1 has no picture yet.</translation>
    </message>
    <message>
        <source>Output size too small!</source>
        <translation>The output size is too small.</translation>
    </message>
    <message>
        <source>Output size too large!</source>
        <translation>The output size is too large.</translation>
    </message>
    <message>
        <source>镜头周期不足一个像素！</source>
        <translation>The lens period must be at least one pixel!</translation>
    </message>
</context>
<context>
    <name>lenzora::output</name>
    <message>
        <source>纸上一份也放不下：图片 %1 × %2 毫米，可用 %3 × %4 毫米！</source>
        <translation>Not one copy fits on the sheet: the picture is %1 × %2 mm, the room %3 × %4 mm!</translation>
    </message>
    <message>
        <source>纸上只放得下 %1 份！</source>
        <translation>Only %1 copies fit on the sheet!</translation>
    </message>
    <message>
        <source>无法识别的纸张：%1</source>
        <translation>Unknown paper: %1</translation>
    </message>
</context>
<context>
    <name>lenzora::platform</name>
    <message>
        <source>Out of memory</source>
        <translation>There is not enough memory</translation>
    </message>
    <message>
        <source>File not found</source>
        <translation>The file does not exist</translation>
    </message>
    <message>
        <source>File access denied</source>
        <translation>Access to the file is denied</translation>
    </message>
    <message>
        <source>Disk full</source>
        <translation>The disk is full</translation>
    </message>
    <message>
        <source>I/O error %1</source>
        <translation>Input/output error %1</translation>
    </message>
    <message>
        <source>There is no default printer currently selected</source>
        <translation>No default printer is set up</translation>
    </message>
    <message>
        <source>Printing failed: the document cannot be started</source>
        <translation>Printing failed: the printer did not accept the document</translation>
    </message>
    <message>
        <source>Printing failed: no document</source>
        <translation>Printing failed: no document was started</translation>
    </message>
    <message>
        <source>Printing failed: the document cannot be ended</source>
        <translation>Printing failed: the document could not be finished</translation>
    </message>
    <message>
        <source>Invalid file name</source>
        <translation>The file name is not valid</translation>
    </message>
    <message>
        <source>Not a regular file</source>
        <translation>It is not an ordinary file.</translation>
    </message>
    <message>
        <source>Cannot create a work folder</source>
        <translation>The work folder cannot be created</translation>
    </message>
</context>
<context>
    <name>lenzora::platform::FileDialogs</name>
    <message>
        <source>Bitmaps (*.bmp) (*.bmp)</source>
        <translation>BMP pictures (*.bmp)</translation>
    </message>
    <message>
        <source>Bitmaps (*.bmp)</source>
        <translation>BMP pictures (*.bmp)</translation>
    </message>
    <message>
        <source>JPEG Image File (*.jpg) (*.jpg *.jpeg)</source>
        <translation>JPEG pictures (*.jpg *.jpeg)</translation>
    </message>
    <message>
        <source>PNG Image File (*.png) (*.png)</source>
        <translation>PNG pictures (*.png)</translation>
    </message>
    <message>
        <source>TIFF Image File (*.tif) (*.tif *.tiff)</source>
        <translation>TIFF pictures (*.tif *.tiff)</translation>
    </message>
    <message>
        <source>JPEG Image File (*.jpg)</source>
        <translation>JPEG picture (*.jpg)</translation>
    </message>
    <message>
        <source>PNG Image File (*.png)</source>
        <translation>PNG picture (*.png)</translation>
    </message>
    <message>
        <source>TIFF Image File (*.tif)</source>
        <translation>TIFF picture (*.tif)</translation>
    </message>
    <message>
        <source>作业 (*.lzjob)</source>
        <translation>Jobs (*.lzjob)</translation>
    </message>
    <message>
        <source>All (%1)</source>
        <translation>All pictures</translation>
    </message>
    <message>
        <source>PDF 文档 (*.pdf)</source>
        <translation>PDF Document (*.pdf)</translation>
    </message>
</context>
<context>
    <name>lenzora::raster</name>
    <message>
        <source>Cannot open file &quot;%1&quot;. %2</source>
        <translation>The file &quot;%1&quot; cannot be opened. %2</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>The file &quot;%1&quot; cannot be written. %2</translation>
    </message>
    <message>
        <source>Bitmap image is not valid</source>
        <translation>The BMP picture is damaged or of an unknown kind</translation>
    </message>
    <message>
        <source>JPEG error #%1</source>
        <translation>The JPEG picture cannot be read (error %1)</translation>
    </message>
    <message>
        <source>Cannot read file &quot;%1&quot;. %2</source>
        <translation>The file &quot;%1&quot; cannot be read. %2</translation>
    </message>
    <message>
        <source>图片太大! %1 x %2 像素</source>
        <translation>The picture is too large: %1 x %2 pixels.</translation>
    </message>
    <message>
        <source>图片太大! &quot;%1&quot; %2 x %3 像素</source>
        <translation>The picture &quot;%1&quot; is too large: %2 x %3 pixels.</translation>
    </message>
    <message>
        <source>环境变量 %1 的值 &quot;%2&quot; 无效: 应为大于 0 的整数像素数</source>
        <translation>The environment variable %1 is &quot;%2&quot;: it must be a whole number of pixels above 0.</translation>
    </message>
    <message>
        <source>Output size too large!</source>
        <translation>The output size is too large.</translation>
    </message>
</context>
<context>
    <name>lenzora::testchart</name>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>&apos;%1&apos; is not a whole number</translation>
    </message>
    <message>
        <source>Floating point division by zero</source>
        <translation>The expected pitch must not be 0</translation>
    </message>
    <message>
        <source>DPI不对!</source>
        <translation>The DPI is not valid.</translation>
    </message>
    <message>
        <source>栏数不对!</source>
        <translation>The number of bands is not valid.</translation>
    </message>
    <message>
        <source>增幅不对!</source>
        <translation>The step is not valid.</translation>
    </message>
    <message>
        <source>纸张不对!</source>
        <translation>The paper is not valid.</translation>
    </message>
    <message>
        <source>预计线数不对!</source>
        <translation>The expected pitch is not valid.</translation>
    </message>
    <message>
        <source>栏长超出光栅!</source>
        <translation>The bands do not fit on the chart: choose a smaller step or fewer bands.</translation>
    </message>
    <message>
        <source>打印机DPI设置不对!</source>
        <translation>The printer&apos;s resolution does not match the chart&apos;s DPI.</translation>
    </message>
</context>
<context>
    <name>lenzora::windows::AboutWindow</name>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
</context>
<context>
    <name>lenzora::windows::EffectWindow</name>
    <message>
        <source>效果预览</source>
        <translation>Effect preview</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>速度（帧/秒）：</source>
        <translation>Speed (views per second):</translation>
    </message>
    <message>
        <source>光栅片实际线距：</source>
        <translation>Sheet&apos;s true pitch (LPI):</translation>
    </message>
    <message>
        <source>第 %1 帧，共 %2 帧</source>
        <translation>Frame %1 of %2</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>线距须为大于 0 的数</source>
        <translation>The pitch must be a number above 0</translation>
    </message>
</context>
<context>
    <name>lenzora::windows::HelpWindow</name>
    <message>
        <source>

        Lenzora 简介

    光栅片在市场上很容易买到，但是适合光栅片的立体图和变图却很难制作，现有的制作软件大多功能繁杂、操作复杂，普通用户难以掌握。本软件正是为解决这一问题而开发的，它的优点是：
    a) 功能完整：可以制作任意尺寸、任意光栅线距的立体图和变图，最多可合成16幅图像，并带有光栅线距测量功能；
    b) 使用简单：不需要专业知识，按步骤操作即可得到合成图像；
    c) 质量可靠：输出效果与价格高得多的专业软件相当。

        使用步骤

    (1) 系统设定：
        A. 输入光栅片的线距（每英寸线数），不知道线距时可按“现在测量”打印测试图测出；
        B. 选择合成方式：立体图或左右变图选“立体图或左右变”，上下变图选“上下变图”；
        C. 输入输出尺寸的宽和高，并选择单位（毫米、英寸或像素）。
    (2) 选择合成图像来源：
        A. 按“图1”、“图2”……选择2至16幅图像，图像可来自数码相机、扫描仪或绘图软件，必须是RGB彩色图像，扩展名为bmp或jpg，其他格式的文件请先在其他软件中转换；
        B. 立体图需要用立体相机拍摄或用分层平移方法制作的序列图像，否则只能得到变图效果；
        C. 各幅图像的宽高比例应尽量与输出尺寸的比例接近，否则图像将被居中裁切。
    (3) 按“合成”按钮合成图像。
    (4) 勾选“校准线”可在输出图像的边缘加上校准线，用于对准光栅片。
    (5) 按“存盘”按钮保存合成图像，保存为bmp格式。
    (6) 按“打印”按钮打印合成图像。
    (7) 保存的文件也可以放入排版软件中排版打印。
    (8) 打印完成后，将图像裁切整齐，用过胶机或手工与光栅片贴合。
</source>
        <translation>

        About Lenzora

    Lenticular sheets are easy to buy, but 3D and flip pictures that suit them are hard to make: most programs for the job do too much and are hard for an ordinary user to learn. Lenzora was made to change that. Its strengths:
    a) Complete: it makes 3D and flip pictures of any size for sheets of any pitch, combines up to 16 frames, and measures the pitch of a sheet;
    b) Simple: no special knowledge is needed; follow the steps below and you get the finished picture;
    c) Reliable: the results match those of far more expensive professional programs.

        Step by step

    (1) Settings:
        A. Type the pitch of the lenticular sheet (lenses per inch) under &quot;Lens pitch (LPI)&quot;. If you do not know it, click &quot;Measure now&quot; and print the test chart to find it;
        B. Choose the picture type: &quot;3D / left-right flip&quot; for a 3D picture or one that changes as you move from side to side, &quot;Up-down flip&quot; for one that changes as you tilt it;
        C. Type the width and height of the output and choose the unit (mm, inches or pixels).
    (2) Frames:
        A. Click the numbered buttons &quot;1&quot;, &quot;2&quot; ... to choose 2 to 16 pictures. They may come from a digital camera, a scanner or a drawing program, and must be RGB colour pictures in .bmp or .jpg files; convert other files in another program first;
        B. A 3D picture needs a series of views taken with a 3D camera or made by shifting layers; other pictures give only a flip effect;
        C. Each frame should have about the proportions of the output size; otherwise it is cut to size around its centre.
    (3) Click &quot;Compose&quot; to make the picture.
    (4) Tick &quot;Guide lines&quot; to add lines along the edge of the picture that help to line up the lenticular sheet.
    (5) Click &quot;Save&quot; to save the picture as a .bmp file.
    (6) Click &quot;Print&quot; to print the picture.
    (7) The saved file can also be placed in a page layout program and printed from there.
    (8) When the print is done, trim it neatly and laminate it to the lenticular sheet, with a laminator or by hand.
</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
</context>
<context>
    <name>lenzora::windows::PitchChartWindow</name>
    <message>
        <source>测量光栅线距</source>
        <translation>Measure the lens pitch</translation>
    </message>
    <message>
        <source>纸张:</source>
        <translation>Paper:</translation>
    </message>
    <message>
        <source>DPI:</source>
        <translation>DPI:</translation>
    </message>
    <message>
        <source>预计线数:</source>
        <translation>Pitch:</translation>
    </message>
    <message>
        <source>栏数:</source>
        <translation>Bands:</translation>
    </message>
    <message>
        <source>增幅:</source>
        <translation>Step:</translation>
    </message>
    <message>
        <source>生成</source>
        <translation>Generate</translation>
    </message>
    <message>
        <source>重设</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>存盘</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>lenzora::windows::PrintPreviewWindow</name>
    <message>
        <source>打印预览</source>
        <translation>Print preview</translation>
    </message>
    <message>
        <source>Print size over!</source>
        <translation>Too large for the page!</translation>
    </message>
    <message>
        <source>打印(&amp;P)</source>
        <translation>&amp;Print</translation>
    </message>
    <message>
        <source>取消(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>拼版</source>
        <translation>Sheet</translation>
    </message>
    <message>
        <source>自定义</source>
        <translation>Custom</translation>
    </message>
    <message>
        <source>纸张</source>
        <translation>Paper</translation>
    </message>
    <message>
        <source>宽（毫米）</source>
        <translation>Width (mm)</translation>
    </message>
    <message>
        <source>高（毫米）</source>
        <translation>Height (mm)</translation>
    </message>
    <message>
        <source>横向</source>
        <translation>Landscape</translation>
    </message>
    <message>
        <source>页边距（毫米）</source>
        <translation>Margin (mm)</translation>
    </message>
    <message>
        <source>铺满</source>
        <translation>Fit</translation>
    </message>
    <message>
        <source>份数</source>
        <translation>Copies</translation>
    </message>
    <message>
        <source>间距（毫米）</source>
        <translation>Gap (mm)</translation>
    </message>
    <message>
        <source>裁切线</source>
        <translation>Crop marks</translation>
    </message>
    <message>
        <source>出血（毫米）</source>
        <translation>Bleed (mm)</translation>
    </message>
    <message>
        <source>标注行</source>
        <translation>Label line</translation>
    </message>
    <message>
        <source>保存拼版(&amp;V)...</source>
        <translation>Sa&amp;ve sheet...</translation>
    </message>
    <message>
        <source>出血从下次合成起生效；这张合成图的出血是 %1 毫米。</source>
        <translation>The bleed applies from the next compose; this composite was composed with %1 mm.</translation>
    </message>
</context>
</TS>
