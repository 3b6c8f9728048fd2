<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>AddressList</name>
    <message>
        <source>“%1”不是地址或地址范围。</source>
        <translation>&quot;%1&quot; is not an address or a range of addresses.</translation>
    </message>
    <message>
        <source>“%1”超出地址范围 %2 - %3。</source>
        <translation>&quot;%1&quot; is outside the addresses %2 - %3.</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>电池包 %1：%2</source>
        <translation>Pack %1: %2</translation>
    </message>
    <message>
        <source>开始于 %1</source>
        <translation>Started %1</translation>
    </message>
    <message>
        <source>显示</source>
        <translation>Show</translation>
    </message>
</context>
<context>
    <name>EnergyPage</name>
    <message>
        <source>能量账本 %1 无法读取（%2），已另存为 %3，重新开始计数。</source>
        <translation>The energy books %1 could not be read (%2); kept as %3, counting starts anew.</translation>
    </message>
    <message>
        <source>能量账本无法保存到 %1：%2</source>
        <translation>The energy books could not be saved to %1: %2</translation>
    </message>
    <message>
        <source>能量</source>
        <translation>Energy</translation>
    </message>
    <message>
        <source>显示</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>打开记录</source>
        <translation>Open recording</translation>
    </message>
    <message>
        <source>返回实时</source>
        <translation>Back to live</translation>
    </message>
    <message>
        <source>充入 (kWh)</source>
        <translation>Charged (kWh)</translation>
    </message>
    <message>
        <source>放出 (kWh)</source>
        <translation>Discharged (kWh)</translation>
    </message>
    <message>
        <source>今日充入 %1 kWh
今日放出 %2 kWh</source>
        <translation>Today in %1 kWh
Today out %2 kWh</translation>
    </message>
    <message>
        <source>今日 ↑%1 ↓%2 kWh</source>
        <translation>Today ↑%1 ↓%2 kWh</translation>
    </message>
    <message>
        <source>电池组</source>
        <translation>Bank</translation>
    </message>
    <message>
        <source>电池包 %1</source>
        <translation>Pack %1</translation>
    </message>
    <message>
        <source>尚无数据</source>
        <translation>No data yet</translation>
    </message>
    <message>
        <source>自 %1 起：充入 %2 Ah / %3 kWh，放出 %4 Ah / %5 kWh</source>
        <translation>Since %1: charged %2 Ah / %3 kWh, discharged %4 Ah / %5 kWh</translation>
    </message>
    <message>
        <source>等效循环 %1</source>
        <translation>Equivalent cycles %1</translation>
    </message>
    <message>
        <source>等效循环：未知（尚未读取设计容量）</source>
        <translation>Equivalent cycles: unknown (the design capacity was not read yet)</translation>
    </message>
    <message>
        <source>（电池自计 %1 次）</source>
        <translation> (the board counts %1)</translation>
    </message>
    <message>
        <source>无法读取记录 %1（第 %2 行）。</source>
        <translation>Cannot read the recording %1 (line %2).</translation>
    </message>
    <message>
        <source>记录 %1</source>
        <translation>Recording %1</translation>
    </message>
    <message>
        <source>记录 %1：只读到第 %2 行。</source>
        <translation>Recording %1: read up to line %2 only.</translation>
    </message>
</context>
<context>
    <name>EventFile</name>
    <message>
        <source>无法创建文件夹 %1。</source>
        <translation>The folder %1 cannot be created.</translation>
    </message>
    <message>
        <source>%1 不是事件文件：文件保持不变，事件不写入其中。</source>
        <translation>%1 is not an events file: it is left as it is and no events are written to it.</translation>
    </message>
    <message>
        <source>无法打开 %1：%2</source>
        <translation>%1 cannot be opened: %2</translation>
    </message>
    <message>
        <source>文件是空的。</source>
        <translation>The file is empty.</translation>
    </message>
    <message>
        <source>不是事件文件：第一行不是事件文件的标题行。</source>
        <translation>Not an events file: the first line is not the header of an events file.</translation>
    </message>
</context>
<context>
    <name>EventNames</name>
    <message>
        <source>充电高温保护</source>
        <translation>charge over-temperature</translation>
    </message>
    <message>
        <source>放电高温保护</source>
        <translation>discharge over-temperature</translation>
    </message>
    <message>
        <source>充电低温保护</source>
        <translation>charge under-temperature</translation>
    </message>
    <message>
        <source>放电低温保护</source>
        <translation>discharge under-temperature</translation>
    </message>
    <message>
        <source>过压保护</source>
        <translation>cell over-voltage</translation>
    </message>
    <message>
        <source>充电过流保护</source>
        <translation>charge over-current</translation>
    </message>
    <message>
        <source>欠压保护</source>
        <translation>cell under-voltage</translation>
    </message>
    <message>
        <source>一级放电过流保护</source>
        <translation>discharge over-current level 1</translation>
    </message>
    <message>
        <source>二级放电过流保护</source>
        <translation>discharge over-current level 2</translation>
    </message>
    <message>
        <source>PCB高温保护</source>
        <translation>PCB over-temperature</translation>
    </message>
    <message>
        <source>短路保护</source>
        <translation>short circuit</translation>
    </message>
    <message>
        <source>压差保护</source>
        <translation>cell voltage difference</translation>
    </message>
    <message>
        <source>总过压保护</source>
        <translation>pack over-voltage</translation>
    </message>
    <message>
        <source>总欠压保护</source>
        <translation>pack under-voltage</translation>
    </message>
    <message>
        <source>未知保护代码 %1</source>
        <translation>unknown protection code %1</translation>
    </message>
    <message>
        <source>充电高温报警</source>
        <translation>charge high-temperature alarm</translation>
    </message>
    <message>
        <source>充电低温报警</source>
        <translation>charge low-temperature alarm</translation>
    </message>
    <message>
        <source>放电高温报警</source>
        <translation>discharge high-temperature alarm</translation>
    </message>
    <message>
        <source>放电低温报警</source>
        <translation>discharge low-temperature alarm</translation>
    </message>
    <message>
        <source>未知报警位 %1</source>
        <translation>unknown alarm bit %1</translation>
    </message>
    <message>
        <source>充电MOS关闭</source>
        <translation>charge MOSFET off</translation>
    </message>
    <message>
        <source>放电MOS关闭</source>
        <translation>discharge MOSFET off</translation>
    </message>
    <message>
        <source>通信中断</source>
        <translation>link lost</translation>
    </message>
    <message>
        <source>压差过大</source>
        <translation>cell spread high</translation>
    </message>
    <message>
        <source>低电量</source>
        <translation>low charge</translation>
    </message>
    <message>
        <source>保护</source>
        <translation>protection</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>alarm</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>status</translation>
    </message>
    <message>
        <source>通信</source>
        <translation>link</translation>
    </message>
    <message>
        <source>压差</source>
        <translation>spread</translation>
    </message>
    <message>
        <source>电芯 %1</source>
        <translation>cell %1</translation>
    </message>
    <message>
        <source>环境温度传感器</source>
        <translation>ambient sensor</translation>
    </message>
    <message>
        <source>MOS温度传感器</source>
        <translation>MOSFET sensor</translation>
    </message>
    <message>
        <source>温度传感器 TS%1</source>
        <translation>sensor TS%1</translation>
    </message>
    <message>
        <source>电流</source>
        <translation>current</translation>
    </message>
    <message>
        <source>总电压</source>
        <translation>pack voltage</translation>
    </message>
    <message>
        <source>电量</source>
        <translation>state of charge</translation>
    </message>
    <message>
        <source>%1，%2，%3 偏离最大</source>
        <translation>%1, %2, %3 stands out</translation>
    </message>
    <message>
        <source>%1，%2 为 %3</source>
        <translation>%1, %2 at %3</translation>
    </message>
    <message>
        <source>，最差 %1</source>
        <translation>, worst %1</translation>
    </message>
    <message>
        <source>，保护阈值 %1</source>
        <translation>, trip %1</translation>
    </message>
    <message>
        <source>，报警阈值 %1</source>
        <translation>, alarm point %1</translation>
    </message>
    <message>
        <source>，设定值 %1</source>
        <translation>, limit %1</translation>
    </message>
</context>
<context>
    <name>EventsModel</name>
    <message>
        <source>进行中</source>
        <translation>ongoing</translation>
    </message>
    <message>
        <source>未知</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>监视在此停止（连接关闭或程序结束），事件实际结束的时间未知。</source>
        <translation>Watching stopped here (the line closed or the program ended); when the event really ended is not known.</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>结束</source>
        <translation>End</translation>
    </message>
    <message>
        <source>持续</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>电池包</source>
        <translation>Pack</translation>
    </message>
    <message>
        <source>事件</source>
        <translation>Event</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>Where</translation>
    </message>
    <message>
        <source>数值（最差）</source>
        <translation>Value (worst)</translation>
    </message>
    <message>
        <source>阈值</source>
        <translation>Threshold</translation>
    </message>
</context>
<context>
    <name>EventsPage</name>
    <message>
        <source>事件无法写入：%1</source>
        <translation>Events cannot be written: %1</translation>
    </message>
    <message>
        <source>%1 无法读取：%2</source>
        <translation>%1 cannot be read: %2</translation>
    </message>
    <message>
        <source>%1 未打开：%2</source>
        <translation>%1 was not opened: %2</translation>
    </message>
    <message>
        <source>全部电池包</source>
        <translation>All packs</translation>
    </message>
    <message>
        <source>电池包 %1</source>
        <translation>Pack %1</translation>
    </message>
    <message>
        <source>事件 (%1)</source>
        <translation>Events (%1)</translation>
    </message>
    <message>
        <source>事件</source>
        <translation>Events</translation>
    </message>
    <message>
        <source>事件文件 %1  ·  %2 个事件</source>
        <translation>Events file %1  ·  %2 events</translation>
    </message>
    <message>
        <source>实时事件与最近的记录（%1）</source>
        <translation>Live events and the latest recorded (%1)</translation>
    </message>
    <message>
        <source>全部类型</source>
        <translation>All kinds</translation>
    </message>
    <message>
        <source>仅进行中</source>
        <translation>Ongoing only</translation>
    </message>
    <message>
        <source>打开事件文件</source>
        <translation>Open events file</translation>
    </message>
    <message>
        <source>桌面通知</source>
        <translation>Desktop notifications</translation>
    </message>
    <message>
        <source>窗口不在前台时，保护触发或电池包失去连接会发出桌面通知。</source>
        <translation>While the window is not in front, a protection that trips or a pack that stops answering is told by a desktop notification.</translation>
    </message>
    <message>
        <source>压差提醒</source>
        <translation>Cell spread alert</translation>
    </message>
    <message>
        <source>低电量提醒</source>
        <translation>Low charge alert</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>off</translation>
    </message>
    <message>
        <source>最高与最低电芯电压之差超过此值时记为事件；0 为关闭。</source>
        <translation>An event when the highest cell is more than this above the lowest; 0 is off.</translation>
    </message>
    <message>
        <source>电量低于此值时记为事件；0 为关闭。</source>
        <translation>An event when the state of charge falls below this; 0 is off.</translation>
    </message>
</context>
<context>
    <name>FrameConsole</name>
    <message>
        <source>继续</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>保存帧记录</source>
        <translation>Save frame capture</translation>
    </message>
    <message>
        <source>文本文件 (*.txt)</source>
        <translation>Text files (*.txt)</translation>
    </message>
    <message>
        <source>保存失败</source>
        <translation>Save failed</translation>
    </message>
    <message>
        <source>帧记录无法写入 %1：
%2</source>
        <translation>The capture could not be written to %1:
%2</translation>
    </message>
    <message>
        <source>帧控制台</source>
        <translation>Frame console</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>筛选：</source>
        <translation>Filter:</translation>
    </message>
    <message>
        <source>如 51 52、00-1F 或 addr 1,3-5</source>
        <translation>e.g. 51 52, 00-1F or addr 1,3-5</translation>
    </message>
    <message>
        <source>两位十六进制的代码，以空格或逗号分开；范围如 00-1F。
addr 加上十进制的地址或地址列表（如 addr 5 或 addr 1,3-5），只显示这些电池包的帧。</source>
        <translation>Codes of two hex digits, separated by blanks or commas; ranges like 00-1F.
addr with an address or a list of them in decimal (such as addr 5 or addr 1,3-5) shows only those packs&apos; frames.</translation>
    </message>
    <message>
        <source>共 %1 条，显示 %2 条</source>
        <translation>%1 entries, %2 shown</translation>
    </message>
    <message>
        <source>，已丢弃更早的 %1 条</source>
        <translation>, %1 older dropped</translation>
    </message>
    <message>
        <source>已保存 %1 条到 %2</source>
        <translation>%1 entries saved to %2</translation>
    </message>
</context>
<context>
    <name>FrameLog</name>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>方向</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>代码</source>
        <translation>Code</translation>
    </message>
    <message>
        <source>校验</source>
        <translation>Check</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>十六进制</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>读请求没有得到应答</source>
        <translation>The read request got no answer</translation>
    </message>
    <message>
        <source>地址 %1 没有应答</source>
        <translation>No answer from address %1</translation>
    </message>
    <message>
        <source>地址 %1 的应答不完整</source>
        <translation>Address %1 answered only in part</translation>
    </message>
    <message>
        <source>线路不空闲，帧等到下一个周期</source>
        <translation>Line not idle: the frame waits for the next tick</translation>
    </message>
    <message>
        <source>线路忙，地址 %1 的请求未发出</source>
        <translation>Line busy: address %1 not asked</translation>
    </message>
    <message>
        <source>记录已暂停：继续之前的帧没有记录</source>
        <translation>Capture paused: frames until it resumes are not logged</translation>
    </message>
    <message>
        <source>窗口已关闭：再次打开之前的帧没有记录</source>
        <translation>Console closed: frames until it is opened again are not logged</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>接收</source>
        <translation>Received</translation>
    </message>
    <message>
        <source>事件</source>
        <translation>Event</translation>
    </message>
    <message>
        <source>CRC 正确</source>
        <translation>CRC good</translation>
    </message>
    <message>
        <source>CRC 错误</source>
        <translation>CRC bad</translation>
    </message>
    <message>
        <source>无起始符</source>
        <translation>No start</translation>
    </message>
    <message>
        <source>超时</source>
        <translation>Time-out</translation>
    </message>
    <message>
        <source>总线忙</source>
        <translation>Bus busy</translation>
    </message>
    <message>
        <source>未发出</source>
        <translation>Not sent</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Paused</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>更早的 %1 条已丢弃</source>
        <translation>%1 older entries dropped</translation>
    </message>
    <message>
        <source>筛选：%1</source>
        <translation>Filter: %1</translation>
    </message>
    <message>
        <source>写入出错</source>
        <translation>Write error</translation>
    </message>
    <message>
        <source>端口未打开</source>
        <translation>Port not open</translation>
    </message>
    <message>
        <source>端口不可写</source>
        <translation>Port not writable</translation>
    </message>
    <message>
        <source>只写出了一部分</source>
        <translation>Only part was written</translation>
    </message>
</context>
<context>
    <name>HealthPage</name>
    <message>
        <source>电芯健康</source>
        <translation>Cell health</translation>
    </message>
    <message>
        <source>记录 %1  ·  %2 行  ·  电池包 %3</source>
        <translation>Recording %1  ·  %2 rows  ·  pack %3</translation>
    </message>
    <message>
        <source>电流阶跃 %1</source>
        <translation>Current steps: %1</translation>
    </message>
    <message>
        <source>未计：保护中 %1，均衡中 %2，间隔过长 %3</source>
        <translation>Left out: %1 during a protection, %2 while balancing, %3 too far apart</translation>
    </message>
    <message>
        <source>内阻偏高：电芯 %1</source>
        <translation>High internal resistance: cell %1</translation>
    </message>
    <message>
        <source>无内阻偏高的电芯</source>
        <translation>No cell of high internal resistance</translation>
    </message>
    <message>
        <source>压差：静置 %1 mV，负载 %2 mV</source>
        <translation>Cell spread: %1 mV at rest, %2 mV under load</translation>
    </message>
    <message>
        <source>放电时最常最低：电芯 %1（%2 %）</source>
        <translation>Lowest most often while discharging: cell %1 (%2 %)</translation>
    </message>
    <message>
        <source>%1 中没有数据行。</source>
        <translation>%1 holds no rows.</translation>
    </message>
</context>
<context>
    <name>HealthView</name>
    <message>
        <source>电流阶跃尚不足</source>
        <translation>not enough current steps yet</translation>
    </message>
    <message>
        <source>电芯内阻 (mΩ)</source>
        <translation>Internal resistance of the cells (mΩ)</translation>
    </message>
    <message>
        <source>电芯</source>
        <translation>Cell</translation>
    </message>
    <message>
        <source>阶跃</source>
        <translation>Steps</translation>
    </message>
    <message>
        <source>中位数 %1 mΩ</source>
        <translation>Median %1 mΩ</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Arvex</source>
        <translation>Arvex</translation>
    </message>
    <message>
        <source>串口：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud</translation>
    </message>
    <message>
        <source>Pack</source>
        <translation>Pack</translation>
    </message>
    <message>
        <source>Priod(ms)</source>
        <translation>Period(ms)</translation>
    </message>
    <message>
        <source>简体中文</source>
        <translation>简体中文</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>Deutsch</source>
        <translation>Deutsch</translation>
    </message>
    <message>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <source>x</source>
        <translation>x</translation>
    </message>
    <message>
        <source>主页</source>
        <translation>Home</translation>
    </message>
    <message>
        <source>当前剩余容量</source>
        <translation>State of charge</translation>
    </message>
    <message>
        <source>  当前电流</source>
        <translation>  Current</translation>
    </message>
    <message>
        <source>mA</source>
        <translation>mA</translation>
    </message>
    <message>
        <source>工作状态</source>
        <translation>Work state</translation>
    </message>
    <message>
        <source>静止</source>
        <translation>Idle</translation>
    </message>
    <message>
        <source>充电</source>
        <translation>Charge</translation>
    </message>
    <message>
        <source>放电</source>
        <translation>Discharge</translation>
    </message>
    <message>
        <source>  温度保护状态</source>
        <translation>  Temp. protection</translation>
    </message>
    <message>
        <source> 充电高温保护</source>
        <translation> Charge over-temp</translation>
    </message>
    <message>
        <source> 充电低温保护</source>
        <translation> Charge under-temp</translation>
    </message>
    <message>
        <source> 放电高温保护</source>
        <translation> Disch. over-temp</translation>
    </message>
    <message>
        <source> 放电低温保护</source>
        <translation> Disch. under-temp</translation>
    </message>
    <message>
        <source> PCB高温保护</source>
        <translation> PCB over-temp</translation>
    </message>
    <message>
        <source> 均衡信息</source>
        <translation> Balancing</translation>
    </message>
    <message>
        <source>均衡状态</source>
        <translation>Balancing</translation>
    </message>
    <message>
        <source>Cell #Null</source>
        <translation>Cell #Null</translation>
    </message>
    <message>
        <source>  电压保护状态</source>
        <translation>  Voltage protection</translation>
    </message>
    <message>
        <source>欠压保护</source>
        <translation>Undervoltage</translation>
    </message>
    <message>
        <source>过压保护</source>
        <translation>Overvoltage</translation>
    </message>
    <message>
        <source>压差保护</source>
        <translation>Cell delta</translation>
    </message>
    <message>
        <source>总欠压保护</source>
        <translation>Pack undervoltage</translation>
    </message>
    <message>
        <source>总过压保护</source>
        <translation>Pack overvoltage</translation>
    </message>
    <message>
        <source>  电流保护状态</source>
        <translation>  Current protection</translation>
    </message>
    <message>
        <source>一级放电过流保护</source>
        <translation>Disch. overcurrent 1</translation>
    </message>
    <message>
        <source>二级放电过流保护</source>
        <translation>Disch. overcurrent 2</translation>
    </message>
    <message>
        <source> 充电过流保护</source>
        <translation> Charge overcurrent</translation>
    </message>
    <message>
        <source> 短路保护</source>
        <translation> Short circuit</translation>
    </message>
    <message>
        <source> 报警状态</source>
        <translation> Alarm state</translation>
    </message>
    <message>
        <source>低电量报警</source>
        <translation>Low charge</translation>
    </message>
    <message>
        <source>放电过流报警</source>
        <translation>Disch. overcurrent</translation>
    </message>
    <message>
        <source>充电过流报警</source>
        <translation>Charge overcurrent</translation>
    </message>
    <message>
        <source>充电高温报警</source>
        <translation>Charge over-temp</translation>
    </message>
    <message>
        <source>充电低温报警</source>
        <translation>Charge under-temp</translation>
    </message>
    <message>
        <source>放电高温报警</source>
        <translation>Disch. over-temp</translation>
    </message>
    <message>
        <source>放电低温报警</source>
        <translation>Disch. under-temp</translation>
    </message>
    <message>
        <source>环境高温报警</source>
        <translation>Ambient hot</translation>
    </message>
    <message>
        <source>环境低温报警</source>
        <translation>Ambient cold</translation>
    </message>
    <message>
        <source>系统状态</source>
        <translation>System state</translation>
    </message>
    <message>
        <source>保护失效</source>
        <translation>Protection fault</translation>
    </message>
    <message>
        <source>AFE通讯失效</source>
        <translation>AFE link fault</translation>
    </message>
    <message>
        <source>数据存储失效</source>
        <translation>Storage fault</translation>
    </message>
    <message>
        <source>SOC异常</source>
        <translation>SOC fault</translation>
    </message>
    <message>
        <source>电芯丢失</source>
        <translation>Cell missing</translation>
    </message>
    <message>
        <source>配置丢失</source>
        <translation>Config lost</translation>
    </message>
    <message>
        <source>简要数据</source>
        <translation>Summary</translation>
    </message>
    <message>
        <source>最大电压 (mV)</source>
        <translation>Max. cell (mV)</translation>
    </message>
    <message>
        <source>最小电压 (mV)</source>
        <translation>Min. cell (mV)</translation>
    </message>
    <message>
        <source>平均电压(mV)</source>
        <translation>Average (mV)</translation>
    </message>
    <message>
        <source>总电压(mV)</source>
        <translation>Total (mV)</translation>
    </message>
    <message>
        <source>最大压差(mV)</source>
        <translation>Max. diff. (mV)</translation>
    </message>
    <message>
        <source>循环次数</source>
        <translation>Cycles</translation>
    </message>
    <message>
        <source>校准状态</source>
        <translation>Calibration</translation>
    </message>
    <message>
        <source>CHGMOS</source>
        <translation>CHGMOS</translation>
    </message>
    <message>
        <source>DSGMOS</source>
        <translation>DSGMOS</translation>
    </message>
    <message>
        <source>设备编号</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>TS1 (℃)</source>
        <translation>TS1 (℃)</translation>
    </message>
    <message>
        <source>TS2 (℃)</source>
        <translation>TS2 (℃)</translation>
    </message>
    <message>
        <source>TS3 (℃)</source>
        <translation>TS3 (℃)</translation>
    </message>
    <message>
        <source>TS4 (℃)</source>
        <translation>TS4 (℃)</translation>
    </message>
    <message>
        <source>MOSTS (℃)</source>
        <translation>MOSTS (℃)</translation>
    </message>
    <message>
        <source>ETS (℃)</source>
        <translation>ETS (℃)</translation>
    </message>
    <message>
        <source> 详细数据</source>
        <translation> Details</translation>
    </message>
    <message>
        <source>电池编号</source>
        <translation>Battery no.</translation>
    </message>
    <message>
        <source>电流 (mA)</source>
        <translation>Current (mA)</translation>
    </message>
    <message>
        <source>Cell 1 (mV)</source>
        <translation>Cell 1 (mV)</translation>
    </message>
    <message>
        <source>Cell 2 (mV)</source>
        <translation>Cell 2 (mV)</translation>
    </message>
    <message>
        <source>Cell 3 (mV)</source>
        <translation>Cell 3 (mV)</translation>
    </message>
    <message>
        <source>Cell 4 (mV)</source>
        <translation>Cell 4 (mV)</translation>
    </message>
    <message>
        <source>Cell 5 (mV)</source>
        <translation>Cell 5 (mV)</translation>
    </message>
    <message>
        <source>Cell 6 (mV)</source>
        <translation>Cell 6 (mV)</translation>
    </message>
    <message>
        <source>Cell 7 (mV)</source>
        <translation>Cell 7 (mV)</translation>
    </message>
    <message>
        <source>Cell 8 (mV)</source>
        <translation>Cell 8 (mV)</translation>
    </message>
    <message>
        <source>Cell 9 (mV)</source>
        <translation>Cell 9 (mV)</translation>
    </message>
    <message>
        <source>Cell 10 (mV)</source>
        <translation>Cell 10 (mV)</translation>
    </message>
    <message>
        <source>Cell 11 (mV)</source>
        <translation>Cell 11 (mV)</translation>
    </message>
    <message>
        <source>Cell 12 (mV)</source>
        <translation>Cell 12 (mV)</translation>
    </message>
    <message>
        <source>Cell 13 (mV)</source>
        <translation>Cell 13 (mV)</translation>
    </message>
    <message>
        <source>Cell 14 (mV)</source>
        <translation>Cell 14 (mV)</translation>
    </message>
    <message>
        <source>Cell 15 (mV)</source>
        <translation>Cell 15 (mV)</translation>
    </message>
    <message>
        <source>Cell 16 (mV)</source>
        <translation>Cell 16 (mV)</translation>
    </message>
    <message>
        <source>Unused</source>
        <translation>Unused</translation>
    </message>
    <message>
        <source>按键状态</source>
        <translation>Key state</translation>
    </message>
    <message>
        <source>最大电位差 (mV)</source>
        <translation>Max. diff. (mV)</translation>
    </message>
    <message>
        <source>最小电位差 (mV)</source>
        <translation>Min. diff. (mV)</translation>
    </message>
    <message>
        <source>平均电压 (mV)</source>
        <translation>Average (mV)</translation>
    </message>
    <message>
        <source>总电压 (mV)</source>
        <translation>Total (mV)</translation>
    </message>
    <message>
        <source>串数</source>
        <translation>Cells in series</translation>
    </message>
    <message>
        <source>电流补偿值</source>
        <translation>Current offset</translation>
    </message>
    <message>
        <source>SOC</source>
        <translation>SOC</translation>
    </message>
    <message>
        <source>电芯极值</source>
        <translation>Cell extreme</translation>
    </message>
    <message>
        <source>NEWCC</source>
        <translation>NEWCC</translation>
    </message>
    <message>
        <source>CHGVV</source>
        <translation>CHGVV</translation>
    </message>
    <message>
        <source>DSGVV</source>
        <translation>DSGVV</translation>
    </message>
    <message>
        <source>衰减度</source>
        <translation>Ageing</translation>
    </message>
    <message>
        <source>阻尼值</source>
        <translation>Damping</translation>
    </message>
    <message>
        <source>芯片温度</source>
        <translation>Chip temp.</translation>
    </message>
    <message>
        <source>报警状态</source>
        <translation>Alarm state</translation>
    </message>
    <message>
        <source>保护状态</source>
        <translation>Protection state</translation>
    </message>
    <message>
        <source>均衡信息</source>
        <translation>Balancing</translation>
    </message>
    <message>
        <source>参数管理</source>
        <translation>Parameters</translation>
    </message>
    <message>
        <source>保护参数</source>
        <translation>Protection</translation>
    </message>
    <message>
        <source>欠压保护阈值</source>
        <translation>Undervoltage trip</translation>
    </message>
    <message>
        <source>mV</source>
        <translation>mV</translation>
    </message>
    <message>
        <source>应用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>欠压恢复阈值</source>
        <translation>Undervoltage release</translation>
    </message>
    <message>
        <source>欠压保护延时</source>
        <translation>Undervoltage delay</translation>
    </message>
    <message>
        <source>mS</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>过压保护阈值</source>
        <translation>Overvoltage trip</translation>
    </message>
    <message>
        <source>过压恢复阈值</source>
        <translation>Overvoltage release</translation>
    </message>
    <message>
        <source>过压保护延时</source>
        <translation>Overvoltage delay</translation>
    </message>
    <message>
        <source>总欠压保护阈值</source>
        <translation>Pack undervolt. trip</translation>
    </message>
    <message>
        <source>10mV</source>
        <translation>10mV</translation>
    </message>
    <message>
        <source>总欠压恢复阈值</source>
        <translation>Pack undervolt. release</translation>
    </message>
    <message>
        <source>总过压保护阈值</source>
        <translation>Pack overvolt. trip</translation>
    </message>
    <message>
        <source>总过压恢复阈值</source>
        <translation>Pack overvolt. release</translation>
    </message>
    <message>
        <source>充电过流保护阈值</source>
        <translation>Charge overcurrent trip</translation>
    </message>
    <message>
        <source>A</source>
        <translation>A</translation>
    </message>
    <message>
        <source>充电过流保护延时</source>
        <translation>Charge overcurrent delay</translation>
    </message>
    <message>
        <source>放电过流一保护阈值</source>
        <translation>Disch. overcurrent 1 trip</translation>
    </message>
    <message>
        <source>放电过流二保护阈值</source>
        <translation>Disch. overcurrent 2 trip</translation>
    </message>
    <message>
        <source>放电过流一保护延时</source>
        <translation>Disch. overcurrent 1 delay</translation>
    </message>
    <message>
        <source>放电过流二保护延时</source>
        <translation>Disch. overcurrent 2 delay</translation>
    </message>
    <message>
        <source>充电高温保护阈值</source>
        <translation>Charge over-temp trip</translation>
    </message>
    <message>
        <source>℃</source>
        <translation>℃</translation>
    </message>
    <message>
        <source>充电高温恢复阈值</source>
        <translation>Charge over-temp release</translation>
    </message>
    <message>
        <source>放电高温保护阈值</source>
        <translation>Disch. over-temp trip</translation>
    </message>
    <message>
        <source>充电低温恢复阈值</source>
        <translation>Charge under-temp release</translation>
    </message>
    <message>
        <source>充电低温保护阈值</source>
        <translation>Charge under-temp trip</translation>
    </message>
    <message>
        <source>放电高温恢复阈值</source>
        <translation>Disch. over-temp release</translation>
    </message>
    <message>
        <source>放电低温保护阈值</source>
        <translation>Disch. under-temp trip</translation>
    </message>
    <message>
        <source>放电低温恢复阈值</source>
        <translation>Disch. under-temp release</translation>
    </message>
    <message>
        <source>报警参数</source>
        <translation>Alarms</translation>
    </message>
    <message>
        <source>温度报警</source>
        <translation>Temperature alarms</translation>
    </message>
    <message>
        <source>充电高温报警阈值</source>
        <translation>Charge over-temp alarm</translation>
    </message>
    <message>
        <source>放电高温报警阈值</source>
        <translation>Disch. over-temp alarm</translation>
    </message>
    <message>
        <source>充电低温报警阈值</source>
        <translation>Charge under-temp alarm</translation>
    </message>
    <message>
        <source>放电低温报警阈值</source>
        <translation>Disch. under-temp alarm</translation>
    </message>
    <message>
        <source>环境高温报警阈值</source>
        <translation>Ambient over-temp alarm</translation>
    </message>
    <message>
        <source>环境低温报警阈值</source>
        <translation>Ambient under-temp alarm</translation>
    </message>
    <message>
        <source>电压报警</source>
        <translation>Voltage alarms</translation>
    </message>
    <message>
        <source>单体欠压报警阈值</source>
        <translation>Cell undervoltage alarm</translation>
    </message>
    <message>
        <source>单体过压报警阈值</source>
        <translation>Cell overvoltage alarm</translation>
    </message>
    <message>
        <source>总压欠压报警阈值</source>
        <translation>Pack undervoltage alarm</translation>
    </message>
    <message>
        <source>电流报警</source>
        <translation>Current alarms</translation>
    </message>
    <message>
        <source>充电过流报警阈值</source>
        <translation>Charge overcurrent alarm</translation>
    </message>
    <message>
        <source>放电过流报警阈值</source>
        <translation>Disch. overcurrent alarm</translation>
    </message>
    <message>
        <source>其他报警</source>
        <translation>Other alarms</translation>
    </message>
    <message>
        <source>低电量报警阈值</source>
        <translation>Low charge alarm</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
    <message>
        <source>功率报警阈值</source>
        <translation>Power alarm</translation>
    </message>
    <message>
        <source>W</source>
        <translation>W</translation>
    </message>
    <message>
        <source>设备参数</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>设计容量</source>
        <translation>Design capacity</translation>
    </message>
    <message>
        <source>检测阻值</source>
        <translation>Sense resistor</translation>
    </message>
    <message>
        <source>电压保护增益值</source>
        <translation>Voltage gain</translation>
    </message>
    <message>
        <source>电芯串数</source>
        <translation>Cells in series</translation>
    </message>
    <message>
        <source>均衡参数</source>
        <translation>Balancing</translation>
    </message>
    <message>
        <source>均衡检测电压</source>
        <translation>Balancing from voltage</translation>
    </message>
    <message>
        <source>均衡开启压差</source>
        <translation>Balancing from delta</translation>
    </message>
    <message>
        <source>压差保护阈值</source>
        <translation>Cell delta trip</translation>
    </message>
    <message>
        <source>校准电流值</source>
        <translation>Calibration current</translation>
    </message>
    <message>
        <source>.</source>
        <translation>.</translation>
    </message>
    <message>
        <source>初始化参数</source>
        <translation>Init parameters</translation>
    </message>
    <message>
        <source>初始化SOC</source>
        <translation>Init SOC</translation>
    </message>
    <message>
        <source>系统复位</source>
        <translation>System reset</translation>
    </message>
    <message>
        <source>当前电流</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>开始校准</source>
        <translation>Calibrate</translation>
    </message>
    <message>
        <source>版本号</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>CAN</source>
        <translation>CAN</translation>
    </message>
    <message>
        <source>CHGR</source>
        <translation>CHGR</translation>
    </message>
    <message>
        <source>LOAD</source>
        <translation>LOAD</translation>
    </message>
    <message>
        <source>BLE</source>
        <translation>BLE</translation>
    </message>
    <message>
        <source>Read Statu</source>
        <translation>Read status</translation>
    </message>
    <message>
        <source>一键读取</source>
        <translation>Read all</translation>
    </message>
    <message>
        <source>实时数据</source>
        <translation>Live data</translation>
    </message>
    <message>
        <source>RUN</source>
        <translation>RUN</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>总记录</source>
        <translation>Rows</translation>
    </message>
    <message>
        <source>设备管理</source>
        <translation>Device management</translation>
    </message>
    <message>
        <source>当前系统版本</source>
        <translation>Firmware version</translation>
    </message>
    <message>
        <source>目标地址</source>
        <translation>Target address</translation>
    </message>
    <message>
        <source>文件路径</source>
        <translation>File</translation>
    </message>
    <message>
        <source>浏览</source>
        <translation>Browse</translation>
    </message>
    <message>
        <source>传输进度</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>下载</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>Debug</source>
        <translation>Debug</translation>
    </message>
    <message>
        <source>充电过流保护</source>
        <translation>Charge overcurrent</translation>
    </message>
    <message>
        <source>充电高温保护</source>
        <translation>Charge over-temp</translation>
    </message>
    <message>
        <source>充电低温保护</source>
        <translation>Charge under-temp</translation>
    </message>
    <message>
        <source>放电过流一保护</source>
        <translation>Disch. overcurrent 1</translation>
    </message>
    <message>
        <source>放电过流二保护</source>
        <translation>Disch. overcurrent 2</translation>
    </message>
    <message>
        <source>放电高温保护</source>
        <translation>Disch. over-temp</translation>
    </message>
    <message>
        <source>放电低温保护</source>
        <translation>Disch. under-temp</translation>
    </message>
    <message>
        <source>蜂鸣器</source>
        <translation>Buzzer</translation>
    </message>
    <message>
        <source>休眠</source>
        <translation>Sleep</translation>
    </message>
    <message>
        <source> 电流校准</source>
        <translation> Current calibration</translation>
    </message>
    <message>
        <source>短路启动延时</source>
        <translation>Short-circuit delay</translation>
    </message>
    <message>
        <source>短路保护启动压差</source>
        <translation>Short-circuit trip</translation>
    </message>
    <message>
        <source>主控芯片复位</source>
        <translation>Controller reset</translation>
    </message>
    <message>
        <source>初始化保护参数</source>
        <translation>Init protection</translation>
    </message>
    <message>
        <source>初始化SOC模型</source>
        <translation>Init SOC model</translation>
    </message>
    <message>
        <source>DEBUG</source>
        <translation>DEBUG</translation>
    </message>
    <message>
        <source>数据采集间隔</source>
        <translation>Sampling interval</translation>
    </message>
    <message>
        <source>电流类型</source>
        <translation>Current type</translation>
    </message>
    <message>
        <source>深度休眠压差</source>
        <translation>Deep sleep voltage</translation>
    </message>
    <message>
        <source>学习因子</source>
        <translation>Learning factor</translation>
    </message>
    <message>
        <source>BLEMac</source>
        <translation>BLEMac</translation>
    </message>
    <message>
        <source>BLE名称</source>
        <translation>BLE name</translation>
    </message>
    <message>
        <source>充电MOS开关</source>
        <translation>Charge MOSFET</translation>
    </message>
    <message>
        <source>放电MOS开关</source>
        <translation>Discharge MOSFET</translation>
    </message>
    <message>
        <source>SW</source>
        <translation>SW</translation>
    </message>
    <message>
        <source>L</source>
        <translation>L</translation>
    </message>
    <message>
        <source>TX</source>
        <translation>TX</translation>
    </message>
    <message>
        <source>RX</source>
        <translation>RX</translation>
    </message>
    <message>
        <source>ERR</source>
        <translation>ERR</translation>
    </message>
    <message>
        <source>no connect !</source>
        <translation>not connected</translation>
    </message>
    <message>
        <source>2023-10-25 16:51:16</source>
        <translation>2023-10-25 16:51:16</translation>
    </message>
    <message>
        <source>日期</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>MOS状态</source>
        <translation>MOS state</translation>
    </message>
    <message>
        <source>SOH</source>
        <translation>SOH</translation>
    </message>
    <message>
        <source>电流(A)</source>
        <translation>Current (A)</translation>
    </message>
    <message>
        <source>总电压(V)</source>
        <translation>Pack voltage (V)</translation>
    </message>
    <message>
        <source>MOS温度(℃)</source>
        <translation>MOS temp. (℃)</translation>
    </message>
    <message>
        <source>电芯温度1(℃)</source>
        <translation>Cell temp. 1 (℃)</translation>
    </message>
    <message>
        <source>电芯温度2(℃)</source>
        <translation>Cell temp. 2 (℃)</translation>
    </message>
    <message>
        <source>电芯温度3(℃)</source>
        <translation>Cell temp. 3 (℃)</translation>
    </message>
    <message>
        <source>电芯温度4(℃)</source>
        <translation>Cell temp. 4 (℃)</translation>
    </message>
    <message>
        <source>环境温度(℃)</source>
        <translation>Ambient temp. (℃)</translation>
    </message>
    <message>
        <source>电芯1(mV)</source>
        <translation>Cell 1 (mV)</translation>
    </message>
    <message>
        <source>电芯2(mV)</source>
        <translation>Cell 2 (mV)</translation>
    </message>
    <message>
        <source>电芯3(mV)</source>
        <translation>Cell 3 (mV)</translation>
    </message>
    <message>
        <source>电芯4(mV)</source>
        <translation>Cell 4 (mV)</translation>
    </message>
    <message>
        <source>电芯5(mV)</source>
        <translation>Cell 5 (mV)</translation>
    </message>
    <message>
        <source>电芯6(mV)</source>
        <translation>Cell 6 (mV)</translation>
    </message>
    <message>
        <source>电芯7(mV)</source>
        <translation>Cell 7 (mV)</translation>
    </message>
    <message>
        <source>电芯8(mV)</source>
        <translation>Cell 8 (mV)</translation>
    </message>
    <message>
        <source>电芯9(mV)</source>
        <translation>Cell 9 (mV)</translation>
    </message>
    <message>
        <source>电芯10(mV)</source>
        <translation>Cell 10 (mV)</translation>
    </message>
    <message>
        <source>电芯11(mV)</source>
        <translation>Cell 11 (mV)</translation>
    </message>
    <message>
        <source>电芯12(mV)</source>
        <translation>Cell 12 (mV)</translation>
    </message>
    <message>
        <source>电芯13(mV)</source>
        <translation>Cell 13 (mV)</translation>
    </message>
    <message>
        <source>电芯14(mV)</source>
        <translation>Cell 14 (mV)</translation>
    </message>
    <message>
        <source>电芯15(mV)</source>
        <translation>Cell 15 (mV)</translation>
    </message>
    <message>
        <source>电芯16(mV)</source>
        <translation>Cell 16 (mV)</translation>
    </message>
    <message>
        <source>电芯17(mV)</source>
        <translation>Cell 17 (mV)</translation>
    </message>
    <message>
        <source>电芯18(mV)</source>
        <translation>Cell 18 (mV)</translation>
    </message>
    <message>
        <source>电芯19(mV)</source>
        <translation>Cell 19 (mV)</translation>
    </message>
    <message>
        <source>电芯20(mV)</source>
        <translation>Cell 20 (mV)</translation>
    </message>
    <message>
        <source>电芯21(mV)</source>
        <translation>Cell 21 (mV)</translation>
    </message>
    <message>
        <source>电芯22(mV)</source>
        <translation>Cell 22 (mV)</translation>
    </message>
    <message>
        <source>电芯23(mV)</source>
        <translation>Cell 23 (mV)</translation>
    </message>
    <message>
        <source>电芯24(mV)</source>
        <translation>Cell 24 (mV)</translation>
    </message>
    <message>
        <source>电芯25(mV)</source>
        <translation>Cell 25 (mV)</translation>
    </message>
    <message>
        <source>About Arvex</source>
        <translation>About Arvex</translation>
    </message>
    <message>
        <source>&lt;b&gt;This program is an upper computer softwaredeveloped using QT5.14, which belongs to the communication tool of the Arvex system. It has the functions of data collection, device parameter adjustment, and firmware maintenance for the battery system.&lt;b&gt;</source>
        <translation>&lt;b&gt;This program is the host software of the Arvex system, built with Qt 5. As the communication tool for the battery system it collects data, adjusts device parameters and maintains the firmware.&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>设备移除</source>
        <translation>Device removed</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>串口未打开，请先打开串口。</source>
        <translation>The serial port is not open. Please open it first.</translation>
    </message>
    <message>
        <source>串口不可用。</source>
        <translation>The serial port is not available.</translation>
    </message>
    <message>
        <source>写入数据失败。</source>
        <translation>Writing the data failed.</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>未能写入全部数据。</source>
        <translation>Not all of the data could be written.</translation>
    </message>
    <message>
        <source>STOP</source>
        <translation>STOP</translation>
    </message>
    <message>
        <source>Save CSV</source>
        <translation>Save CSV</translation>
    </message>
    <message>
        <source>CSV Files (*.csv)</source>
        <translation>CSV Files (*.csv)</translation>
    </message>
    <message>
        <source>Export failed</source>
        <translation>Export failed</translation>
    </message>
    <message>
        <source>The log could not be written to %1:
%2</source>
        <translation>The log could not be written to %1:
%2</translation>
    </message>
    <message>
        <source>拔出的适配器在 5 分钟内插回时，重新打开它并继续轮询</source>
        <translation>When the adapter is pulled out and plugged in again within 5 minutes, open it again and go on polling</translation>
    </message>
    <message>
        <source>自动重连</source>
        <translation>Reconnect</translation>
    </message>
    <message>
        <source>等待适配器插回（至 %1）</source>
        <translation>waiting for the adapter until %1</translation>
    </message>
    <message>
        <source>在 Linux 上，串口设备属于 dialout 组。请用 “sudo usermod -aG dialout $USER” 把自己加入该组，然后注销并重新登录。</source>
        <translation>On Linux, serial devices belong to the group dialout. Join it with “sudo usermod -aG dialout $USER”, then log out and in again.</translation>
    </message>
    <message>
        <source>记录时把每一行同时写入文件</source>
        <translation>While logging, every row is also written to a file</translation>
    </message>
    <message>
        <source>记录到文件</source>
        <translation>Record to file</translation>
    </message>
    <message>
        <source>更改文件夹</source>
        <translation>Change folder</translation>
    </message>
    <message>
        <source>打开文件夹</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>趋势</source>
        <translation>Trends</translation>
    </message>
    <message>
        <source>5 分钟</source>
        <translation>5 minutes</translation>
    </message>
    <message>
        <source>1 小时</source>
        <translation>1 hour</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
    <message>
        <source>返回实时</source>
        <translation>Back to live</translation>
    </message>
    <message>
        <source>打开记录</source>
        <translation>Open recording</translation>
    </message>
    <message>
        <source>记录无法写入 %1：
%2

记录到文件已停止。表格仍在继续记录，请导出表格以保存这些行。</source>
        <translation>The log could not be recorded to %1:
%2

Recording to file has stopped. The table goes on logging; export it to keep its rows.</translation>
    </message>
    <message>
        <source>记录已停止</source>
        <translation>Recording stopped</translation>
    </message>
    <message>
        <source>正在记录到 %1  ·  %2 行  ·  %3</source>
        <translation>Recording to %1  ·  %2 rows  ·  %3</translation>
    </message>
    <message>
        <source>记录已停止：%1</source>
        <translation>Recording stopped: %1</translation>
    </message>
    <message>
        <source>记录到文件已关闭：记录的行只保存在表格中</source>
        <translation>Recording to file is off: logged rows are kept in the table only</translation>
    </message>
    <message>
        <source>已记录到 %1  ·  %2 行  ·  %3</source>
        <translation>Recorded to %1  ·  %2 rows  ·  %3</translation>
    </message>
    <message>
        <source>记录的行将同时写入 %1</source>
        <translation>Logged rows are also written to %1</translation>
    </message>
    <message>
        <source>记录文件夹</source>
        <translation>Recordings folder</translation>
    </message>
    <message>
        <source>无法打开文件夹 %1。</source>
        <translation>The folder %1 could not be opened.</translation>
    </message>
    <message>
        <source>%1 的第 %2 行无法读取：第 %3 列（“%4”）中的“%5”不是%6。</source>
        <translation>Line %2 of %1 could not be read: column %3 (&quot;%4&quot;) holds &quot;%5&quot;, which is not %6.</translation>
    </message>
    <message>
        <source>无法打开 %1：
%2</source>
        <translation>%1 could not be opened:
%2</translation>
    </message>
    <message>
        <source>%1 不是本程序的记录：第 %2 行不是表头。</source>
        <translation>%1 is not a log of this program: line %2 is not its header.</translation>
    </message>
    <message>
        <source>%1 的第 %2 行不完整。</source>
        <translation>Line %2 of %1 is cut off.</translation>
    </message>
    <message>
        <source>%1 的第 %2 行有 %3 列，应为 %4 列。</source>
        <translation>Line %2 of %1 has %3 columns instead of %4.</translation>
    </message>
    <message>
        <source>有效日期</source>
        <translation>a date</translation>
    </message>
    <message>
        <source>有效时间</source>
        <translation>a time</translation>
    </message>
    <message>
        <source>数字</source>
        <translation>a number</translation>
    </message>
    <message>
        <source>本次运行的实时数据</source>
        <translation>Live data of this run</translation>
    </message>
    <message>
        <source>%1  ·  %2 行</source>
        <translation>%1  ·  %2 rows</translation>
    </message>
    <message>
        <source>打开失败</source>
        <translation>Open failed</translation>
    </message>
    <message>
        <source>未载入任何数据。</source>
        <translation>Nothing was loaded.</translation>
    </message>
    <message>
        <source>另一个程序正占用该串口（例如 minicom 或 screen 等终端程序、正在探测新适配器的 ModemManager，或本工具的另一个窗口）。请先关闭它。</source>
        <translation>Another program holds the port (a terminal such as minicom or screen, ModemManager probing a new adapter, or another copy of this tool). Close it first.</translation>
    </message>
    <message>
        <source>此列可容纳的数字</source>
        <translation>a number this column can hold</translation>
    </message>
    <message>
        <source>最后一行（第 %1 行）不完整，已略去。</source>
        <translation>The last line (line %1) is incomplete and was left out.</translation>
    </message>
    <message>
        <source>文件共有 %1 行，超过上限 %2 行：只载入了最新的 %2 行。</source>
        <translation>The file holds %1 rows, more than the limit of %2: only the newest %2 rows were loaded.</translation>
    </message>
    <message>
        <source>记录未完整载入</source>
        <translation>Recording partly loaded</translation>
    </message>
    <message>
        <source>已从 %1 载入 %2 行。</source>
        <translation>%2 rows loaded from %1.</translation>
    </message>
    <message>
        <source>轮询周期：300 到 9999 ms</source>
        <translation>Poll period: 300 to 9999 ms</translation>
    </message>
    <message>
        <source>关于 Arvex</source>
        <translation>About Arvex</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimise</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>总压过压报警阈值</source>
        <translation>Pack overvoltage alarm</translation>
    </message>
    <message>
        <source>输入的值无效 ！</source>
        <translation>Invalid value!</translation>
    </message>
    <message>
        <source>%1 至 %2</source>
        <translation>%1 to %2</translation>
    </message>
    <message>
        <source>范围：%1</source>
        <translation>Range: %1</translation>
    </message>
    <message>
        <source>%1，范围 %2</source>
        <translation>%1, range %2</translation>
    </message>
    <message>
        <source>仍然写入地址 %1 的电池包？</source>
        <translation>Write it to the pack at address %1 anyway?</translation>
    </message>
    <message>
        <source>输入的参数超过 [%1 - %2] 的范围。</source>
        <translation>The value is outside the range [%1 - %2].</translation>
    </message>
    <message>
        <source>输入的周期 %1 ms 超过 [%2 - %3] ms 的范围，周期仍为 %4 ms。</source>
        <translation>A period of %1 ms is outside the range [%2 - %3] ms; the period stays %4 ms.</translation>
    </message>
    <message>
        <source>%1 OPENED, %2, %3, %4, %5, %6</source>
        <translation>%1 OPENED, %2, %3, %4, %5, %6</translation>
    </message>
    <message>
        <source>NONE</source>
        <translation>NONE</translation>
    </message>
    <message>
        <source>EVEN/ODD</source>
        <translation>EVEN/ODD</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>ON</translation>
    </message>
    <message>
        <source>%1 CLOSED</source>
        <translation>%1 CLOSED</translation>
    </message>
    <message>
        <source>将地址 %1 的电池包的全部参数恢复为出厂值？
当前的设置将丢失。</source>
        <translation>Restore all parameters of the pack at address %1 to their factory values?
Its current settings will be lost.</translation>
    </message>
    <message>
        <source>重新初始化地址 %1 的电池包的 SOC？
当前的荷电状态将被丢弃。</source>
        <translation>Initialise the state of charge (SOC) of the pack at address %1 again?
Its current state of charge will be discarded.</translation>
    </message>
    <message>
        <source>复位地址 %1 的电池包的系统？
板子将重新启动，一两秒内不回应。</source>
        <translation>Reset the system of the pack at address %1?
The board restarts and does not answer for a second or two.</translation>
    </message>
    <message>
        <source>读回失败：%1 次请求均未得到有效回复</source>
        <translation>Read-back failed: none of %1 requests got a valid reply</translation>
    </message>
    <message>
        <source>请确认</source>
        <translation>Please confirm</translation>
    </message>
    <message>
        <source>自 %1 起无数据</source>
        <translation>No data since %1</translation>
    </message>
    <message>
        <source>尚无数据</source>
        <translation>No data yet</translation>
    </message>
    <message>
        <source>这块板子不报告此报警，指示灯一直是灰色。</source>
        <translation>This board does not report this alarm; the lamp stays grey.</translation>
    </message>
    <message>
        <source>这块板子不使用此阈值：既不读出，也不写入。</source>
        <translation>This board does not use this threshold: it is neither read nor written.</translation>
    </message>
    <message>
        <source>已导出 %1 行到 %2</source>
        <translation>Exported %1 rows to %2</translation>
    </message>
    <message>
        <source>第一行到达时开始记录到 %1</source>
        <translation>Recording to %1 starts with the first row</translation>
    </message>
    <message>
        <source>正在记录 %1 个文件到 %2  ·  %3 行  ·  %4</source>
        <translation>Recording %1 files to %2  ·  %3 rows  ·  %4</translation>
    </message>
    <message>
        <source>已记录 %1 个文件到 %2  ·  %3 行  ·  %4</source>
        <translation>Recorded %1 files to %2  ·  %3 rows  ·  %4</translation>
    </message>
    <message>
        <source>总览</source>
        <translation>Overview</translation>
    </message>
    <message>
        <source>扫描地址</source>
        <translation>Scan addresses</translation>
    </message>
    <message>
        <source>至</source>
        <translation>to</translation>
    </message>
    <message>
        <source>扫描</source>
        <translation>Scan</translation>
    </message>
    <message>
        <source>停止扫描</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>电池组：尚无电池包</source>
        <translation>Bank: no packs yet</translation>
    </message>
    <message>
        <source>电池组：没有电池包在应答</source>
        <translation>Bank: no pack answers</translation>
    </message>
    <message>
        <source>电池组（%1/%2 个电池包在应答）：电流 %3 A · 功率 %4 W · 平均 SOC %5 %</source>
        <translation>Bank (%1 of %2 packs answering): current %3 A · power %4 W · average SOC %5 %</translation>
    </message>
    <message>
        <source>最低电芯 %1 mV（电池包 %2 #%3）</source>
        <translation>lowest cell %1 mV (pack %2 #%3)</translation>
    </message>
    <message>
        <source>一轮 %1 ms，长于周期 %2 ms：线路以其最快速度轮询</source>
        <translation>Cycle %1 ms &gt; period %2 ms: polling as fast as the line allows</translation>
    </message>
    <message>
        <source>一轮 %1 ms（周期 %2 ms）</source>
        <translation>Cycle %1 ms (period %2 ms)</translation>
    </message>
    <message>
        <source>无数据：%1</source>
        <translation>no data: %1</translation>
    </message>
    <message>
        <source>正在扫描……</source>
        <translation>Scanning…</translation>
    </message>
    <message numerus="yes">
        <source>找到 %n 个电池包：%1</source>
        <translation>
            <numerusform>Found %n pack: %1</numerusform>
            <numerusform>Found %n packs: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>没有电池包应答；轮询列表未变</source>
        <translation>No pack answered; the poll list is unchanged</translation>
    </message>
    <message>
        <source>扫描已停止；轮询列表未变</source>
        <translation>Scan stopped; the poll list is unchanged</translation>
    </message>
    <message>
        <source>%1 s 无应答</source>
        <translation>no reply for %1 s</translation>
    </message>
    <message>
        <source>%1 min 无应答</source>
        <translation>no reply for %1 min</translation>
    </message>
    <message>
        <source>%1 h 无应答</source>
        <translation>no reply for %1 h</translation>
    </message>
    <message>
        <source>电池包 %1</source>
        <translation>Pack %1</translation>
    </message>
    <message>
        <source>电池包 %1 · 编号 %2</source>
        <translation>Pack %1 · no. %2</translation>
    </message>
    <message>
        <source>这些页面显示并写入的电池包。在总览页选择其他电池包。</source>
        <translation>The pack these pages show and write to. Choose another pack on the overview.</translation>
    </message>
    <message>
        <source>等待应答</source>
        <translation>waiting for a reply</translation>
    </message>
    <message>
        <source>充电 %1 A</source>
        <translation>charge %1 A</translation>
    </message>
    <message>
        <source>放电 %1 A</source>
        <translation>disch. %1 A</translation>
    </message>
    <message>
        <source>静置 %1 A</source>
        <translation>idle %1 A</translation>
    </message>
    <message>
        <source>最低 %1 mV #%2   最高 %3 mV #%4</source>
        <translation>min %1 mV #%2   max %3 mV #%4</translation>
    </message>
    <message>
        <source>无电芯电压</source>
        <translation>no cell voltages</translation>
    </message>
    <message>
        <source>压差 %1 mV   最高温度 %2 °C</source>
        <translation>diff %1 mV   warmest %2 °C</translation>
    </message>
    <message>
        <source>超时 %1</source>
        <translation>time-outs %1</translation>
    </message>
    <message>
        <source>往返 %1 ms</source>
        <translation>round trip %1 ms</translation>
    </message>
    <message>
        <source>应用差异</source>
        <translation>Apply differences</translation>
    </message>
    <message>
        <source>应用到…</source>
        <translation>Apply to…</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>参数配置</source>
        <translation>Parameter profile</translation>
    </message>
    <message>
        <source>参数</source>
        <translation>Setting</translation>
    </message>
    <message>
        <source>单位</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>板子</source>
        <translation>Board</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>范围</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>对比</source>
        <translation>Compare</translation>
    </message>
    <message>
        <source>地址：</source>
        <translation>Addresses:</translation>
    </message>
    <message>
        <source>文件：%1</source>
        <translation>File: %1</translation>
    </message>
    <message>
        <source>，保存于 %1</source>
        <translation>, saved %1</translation>
    </message>
    <message>
        <source>，来自地址 %1</source>
        <translation>, from address %1</translation>
    </message>
    <message>
        <source>板子与文件一致。</source>
        <translation>The board matches the file.</translation>
    </message>
    <message>
        <source>%1 项与文件不同或未知。</source>
        <translation>%1 settings differ from the file or are unknown.</translation>
    </message>
    <message>
        <source>≠ 不同</source>
        <translation>≠ differs</translation>
    </message>
    <message>
        <source>? 未读回</source>
        <translation>? not read back</translation>
    </message>
    <message>
        <source>未知</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>地址无效</source>
        <translation>Invalid addresses</translation>
    </message>
    <message>
        <source>正在处理地址 %1（%2/%3）</source>
        <translation>Working on address %1 (%2/%3)</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>无法写入审计文件 %1：%2</source>
        <translation>Cannot write the audit file %1: %2</translation>
    </message>
    <message>
        <source>保存配置…</source>
        <translation>Save profile…</translation>
    </message>
    <message>
        <source>打开配置…</source>
        <translation>Open profile…</translation>
    </message>
    <message>
        <source>保存配置</source>
        <translation>Save profile</translation>
    </message>
    <message>
        <source>已保存地址 %1 的 %2 项参数到 %3</source>
        <translation>Saved %2 settings of address %1 to %3</translation>
    </message>
    <message>
        <source>板子的值超出范围，未保存：%1</source>
        <translation>Board values out of range, not saved: %1</translation>
    </message>
    <message>
        <source>打开配置</source>
        <translation>Open profile</translation>
    </message>
    <message>
        <source>配置文件无效</source>
        <translation>Invalid profile</translation>
    </message>
    <message>
        <source>配置与板子矛盾</source>
        <translation>Profile contradicts the board</translation>
    </message>
    <message>
        <source>文件的值与地址 %1 的板子的值矛盾，不能应用：</source>
        <translation>The file’s values contradict those of the board at address %1; it cannot be applied:</translation>
    </message>
    <message>
        <source>文件中有不在任何页面上的参数，已忽略，不会写入：%1</source>
        <translation>The file holds rows that no page shows; they were ignored and will not be written: %1</translation>
    </message>
    <message>
        <source>板子的值互相矛盾，这个文件将无法打开：</source>
        <translation>The board’s values contradict each other; this file will not open:</translation>
    </message>
    <message>
        <source>本次运行的实时数据：电池包 %1</source>
        <translation>Live data of this run: pack %1</translation>
    </message>
    <message>
        <source>只显示差异</source>
        <translation>Differences only</translation>
    </message>
    <message>
        <source>不在参数页上</source>
        <translation>On no parameter page</translation>
    </message>
    <message numerus="yes">
        <source>将与文件不同的 %n 项参数写入地址 %1 的电池包？</source>
        <translation>
            <numerusform>Write the %n setting that differs from the file to the pack at address %1?</numerusform>
            <numerusform>Write the %n settings that differ from the file to the pack at address %1?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>先读回地址 %1 的电池包，再写入与文件不同的参数（最多 %n 项）？</source>
        <translation>
            <numerusform>Read back the pack at address %1, then write the settings that differ from the file (at most %n)?</numerusform>
            <numerusform>Read back the pack at address %1, then write the settings that differ from the file (at most %n)?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>先逐个读回 %n 个电池包（地址 %1），再向每个写入与文件不同的参数（每个最多 %2 项）？</source>
        <translation>
            <numerusform>Read back the pack at address %1, then write to it the settings that differ from the file (at most %2)?</numerusform>
            <numerusform>Read back the %n packs (addresses %1) one after the other, then write to each the settings that differ from the file (at most %2 per pack)?</numerusform>
        </translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>Stopped</translation>
    </message>
    <message numerus="yes">
        <source>地址 %1 的电池包目前有 %n 项与文件不同。</source>
        <translation>
            <numerusform>The pack at address %1 now differs from the file in %n setting.</numerusform>
            <numerusform>The pack at address %1 now differs from the file in %n settings.</numerusform>
        </translation>
    </message>
    <message>
        <source>电芯 %1 内阻偏高</source>
        <translation>Cell %1: high internal resistance</translation>
    </message>
</context>
<context>
    <name>ParameterProfile</name>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>不是配置文件可以保存的参数。</source>
        <translation>not a setting a profile can hold.</translation>
    </message>
    <message>
        <source>应为带 &quot;value&quot; 和 &quot;unit&quot; 的对象。</source>
        <translation>expected an object with &quot;value&quot; and &quot;unit&quot;.</translation>
    </message>
    <message>
        <source>未知的键。</source>
        <translation>unknown key.</translation>
    </message>
    <message>
        <source>值必须是整数。</source>
        <translation>the value must be a whole number.</translation>
    </message>
    <message>
        <source>值 %1 超出范围 [%2 - %3]。</source>
        <translation>value %1 is outside [%2 - %3].</translation>
    </message>
    <message>
        <source>单位应为 &quot;%1&quot;，文件中为 &quot;%2&quot;。</source>
        <translation>the unit must be &quot;%1&quot;, the file says &quot;%2&quot;.</translation>
    </message>
    <message>
        <source>（不是文本）</source>
        <translation>(not text)</translation>
    </message>
    <message>
        <source>文件大于 1 MiB，不是参数配置文件。</source>
        <translation>The file is larger than 1 MiB; it is not a parameter profile.</translation>
    </message>
    <message>
        <source>这个键出现了两次。</source>
        <translation>this key appears twice.</translation>
    </message>
    <message>
        <source>不是有效的参数配置文件：嵌套过深。</source>
        <translation>Not a valid parameter profile: nested too deeply.</translation>
    </message>
    <message>
        <source>不是有效的 JSON（第 %1 个字节：%2）。</source>
        <translation>Not valid JSON (at byte %1: %2).</translation>
    </message>
    <message>
        <source>不是有效的参数配置文件：应为一个 JSON 对象。</source>
        <translation>Not a valid parameter profile: expected a JSON object.</translation>
    </message>
    <message>
        <source>不是参数配置文件（应为 &quot;%1&quot;）。</source>
        <translation>not a parameter profile (expected &quot;%1&quot;).</translation>
    </message>
    <message>
        <source>不支持的版本 %1，本程序读取版本 %2。</source>
        <translation>unsupported version %1; this program reads version %2.</translation>
    </message>
    <message>
        <source>（无）</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>类型或取值不对。</source>
        <translation>wrong type or value.</translation>
    </message>
    <message>
        <source>应为一个对象，每个参数一项。</source>
        <translation>expected an object with one entry per setting.</translation>
    </message>
    <message>
        <source>文件中没有任何参数。</source>
        <translation>the file holds no settings.</translation>
    </message>
    <message>
        <source>无法读取文件：%1</source>
        <translation>Cannot read the file: %1</translation>
    </message>
    <message>
        <source>无法写入 %1：%2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
</context>
<context>
    <name>ProfileJob</name>
    <message>
        <source>已确认</source>
        <translation>confirmed</translation>
    </message>
    <message>
        <source>板子未采用</source>
        <translation>not taken by the board</translation>
    </message>
    <message>
        <source>已发送，未确认</source>
        <translation>sent, not confirmed</translation>
    </message>
    <message>
        <source>未发送</source>
        <translation>not sent</translation>
    </message>
    <message>
        <source>地址 %1：与文件一致</source>
        <translation>Address %1: matches the file</translation>
    </message>
    <message>
        <source>地址 %1：%2 项与文件不同</source>
        <translation>Address %1: %2 settings differ from the file</translation>
    </message>
    <message>
        <source>地址 %1：已读回</source>
        <translation>Address %1: read back</translation>
    </message>
    <message>
        <source>地址 %1：%2 项已写入并确认</source>
        <translation>Address %1: %2 settings written and confirmed</translation>
    </message>
    <message>
        <source>地址 %1：写入 %2 项，%3 项未确认</source>
        <translation>Address %1: %2 settings written, %3 not confirmed</translation>
    </message>
    <message>
        <source>地址 %1：写入 %2 项，%3 项未确认，%4 项未发送</source>
        <translation>Address %1: %2 settings written, %3 not confirmed, %4 not sent</translation>
    </message>
    <message>
        <source>地址 %1：板子没有回应，未写入</source>
        <translation>Address %1: the board did not answer; nothing written</translation>
    </message>
    <message>
        <source>地址 %1：已停止，未写入</source>
        <translation>Address %1: stopped; nothing written</translation>
    </message>
    <message>
        <source>地址 %1：串口已关闭</source>
        <translation>Address %1: the port is closed</translation>
    </message>
    <message>
        <source>%1：板子 %2，文件 %3 %4</source>
        <translation>%1: board %2, file %3 %4</translation>
    </message>
    <message>
        <source>未知</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>%1：%2 → %3：%4</source>
        <translation>%1: %2 → %3: %4</translation>
    </message>
    <message>
        <source>没有给出地址。</source>
        <translation>No address given.</translation>
    </message>
    <message>
        <source>串口未打开。</source>
        <translation>The port is not open.</translation>
    </message>
    <message>
        <source>%1：板子的值超出范围，未保存。</source>
        <translation>%1: the board&apos;s value is out of range; not saved.</translation>
    </message>
    <message>
        <source>已保存到 %1</source>
        <translation>Saved to %1</translation>
    </message>
    <message>
        <source>无法写入审计文件 %1：%2</source>
        <translation>Cannot write the audit file %1: %2</translation>
    </message>
    <message>
        <source>地址 %1：未写入，文件的值与板子的值矛盾：%2</source>
        <translation>Address %1: nothing written; the file’s values contradict the board’s: %2</translation>
    </message>
    <message>
        <source>%1：不在任何页面上的参数，已忽略。</source>
        <translation>%1: a row no page shows; ignored.</translation>
    </message>
    <message>
        <source>%1：板子的值互相矛盾，这个文件将无法打开：%2</source>
        <translation>%1: the board’s values contradict each other; this file will not open: %2</translation>
    </message>
    <message numerus="yes">
        <source>%n 块已确认</source>
        <translation>
            <numerusform>%n confirmed</numerusform>
            <numerusform>%n confirmed</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块本已一致</source>
        <translation>
            <numerusform>%n already matching</numerusform>
            <numerusform>%n already matching</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块已读回</source>
        <translation>
            <numerusform>%n read</numerusform>
            <numerusform>%n read</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块与文件不同</source>
        <translation>
            <numerusform>%n differing</numerusform>
            <numerusform>%n differing</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块未确认</source>
        <translation>
            <numerusform>%n not confirmed</numerusform>
            <numerusform>%n not confirmed</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块没有回应</source>
        <translation>
            <numerusform>%n no reply</numerusform>
            <numerusform>%n no reply</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块未写入</source>
        <translation>
            <numerusform>%n not written</numerusform>
            <numerusform>%n not written</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块因串口关闭未写入</source>
        <translation>
            <numerusform>%n not written, the port closed</numerusform>
            <numerusform>%n not written, the port closed</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块因值矛盾未写入</source>
        <translation>
            <numerusform>%n not written, values contradict</numerusform>
            <numerusform>%n not written, values contradict</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1/%n 块板子</source>
        <translation>
            <numerusform>%1 of %n board</numerusform>
            <numerusform>%1 of %n boards</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块板子</source>
        <translation>
            <numerusform>%n board</numerusform>
            <numerusform>%n boards</numerusform>
        </translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>Recording</name>
    <message>
        <source>无法创建文件夹。</source>
        <translation>The folder cannot be created.</translation>
    </message>
    <message>
        <source>文件在记录期间被删除。</source>
        <translation>The file was deleted while it was being recorded.</translation>
    </message>
    <message>
        <source>未知错误。</source>
        <translation>Unknown error.</translation>
    </message>
</context>
<context>
    <name>ThresholdPairs</name>
    <message>
        <source>%1 %2 不高于%3 %4：任何电压都会触发其中一个保护。</source>
        <translation>%1 %2 is not above %3 %4: every voltage would trip one of the two protections.</translation>
    </message>
    <message>
        <source>%1 %2 不高于%3 %4：保护一触发就会立即解除。</source>
        <translation>%1 %2 is not above %3 %4: the protection would release as soon as it trips.</translation>
    </message>
    <message>
        <source>%1 %2 不低于%3 %4：保护一触发就会立即解除。</source>
        <translation>%1 %2 is not below %3 %4: the protection would release as soon as it trips.</translation>
    </message>
</context>
<context>
    <name>TrendView</name>
    <message>
        <source>总电压</source>
        <translation>Pack voltage</translation>
    </message>
    <message>
        <source>电流</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>SOC</source>
        <translation>SOC</translation>
    </message>
    <message>
        <source>最大电压</source>
        <translation>Highest cell</translation>
    </message>
    <message>
        <source>最小电压</source>
        <translation>Lowest cell</translation>
    </message>
    <message>
        <source>平均电压</source>
        <translation>Average cell</translation>
    </message>
    <message>
        <source>MOS</source>
        <translation>MOS</translation>
    </message>
    <message>
        <source>TS1</source>
        <translation>TS1</translation>
    </message>
    <message>
        <source>TS2</source>
        <translation>TS2</translation>
    </message>
    <message>
        <source>TS3</source>
        <translation>TS3</translation>
    </message>
    <message>
        <source>TS4</source>
        <translation>TS4</translation>
    </message>
    <message>
        <source>环境</source>
        <translation>Ambient</translation>
    </message>
</context>
<context>
    <name>WriteMarks</name>
    <message>
        <source>已输入，尚未发送</source>
        <translation>Typed, not sent yet</translation>
    </message>
    <message>
        <source>已发送，等待读回确认</source>
        <translation>Sent, waiting for the read-back to confirm it</translation>
    </message>
    <message>
        <source>已确认：板子保存了 %1</source>
        <translation>Confirmed: the board holds %1</translation>
    </message>
    <message>
        <source>板子保留了 %1，未采用发送的 %2</source>
        <translation>The board kept %1, not the %2 sent</translation>
    </message>
    <message>
        <source>未确认：读回没有显示板子的值（发送的是 %1）</source>
        <translation>Not confirmed: no read-back showed the board&apos;s value (%1 was sent)</translation>
    </message>
    <message>
        <source>已发送，无法确认：读回不含此值</source>
        <translation>Sent, not confirmable: the read-back does not carry this value</translation>
    </message>
</context>
</TS>
