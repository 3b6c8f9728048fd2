<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="zh_CN">
<context>
    <name>AddressList</name>
    <message>
        <source>“%1”不是地址或地址范围。</source>
        <translation>“%1”不是地址或地址范围。</translation>
    </message>
    <message>
        <source>“%1”超出地址范围 %2 - %3。</source>
        <translation>“%1”超出地址范围 %2 - %3。</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>电池包 %1：%2</source>
        <translation>电池包 %1：%2</translation>
    </message>
    <message>
        <source>开始于 %1</source>
        <translation>开始于 %1</translation>
    </message>
    <message>
        <source>显示</source>
        <translation>显示</translation>
    </message>
</context>
<context>
    <name>EnergyPage</name>
    <message>
        <source>能量账本 %1 无法读取（%2），已另存为 %3，重新开始计数。</source>
        <translation>能量账本 %1 无法读取（%2），已另存为 %3，重新开始计数。</translation>
    </message>
    <message>
        <source>能量账本无法保存到 %1：%2</source>
        <translation>能量账本无法保存到 %1：%2</translation>
    </message>
    <message>
        <source>能量</source>
        <translation>能量</translation>
    </message>
    <message>
        <source>显示</source>
        <translation>显示</translation>
    </message>
    <message>
        <source>打开记录</source>
        <translation>打开记录</translation>
    </message>
    <message>
        <source>返回实时</source>
        <translation>返回实时</translation>
    </message>
    <message>
        <source>充入 (kWh)</source>
        <translation>充入 (kWh)</translation>
    </message>
    <message>
        <source>放出 (kWh)</source>
        <translation>放出 (kWh)</translation>
    </message>
    <message>
        <source>今日充入 %1 kWh
今日放出 %2 kWh</source>
        <translation>今日充入 %1 kWh
今日放出 %2 kWh</translation>
    </message>
    <message>
        <source>今日 ↑%1 ↓%2 kWh</source>
        <translation>今日 ↑%1 ↓%2 kWh</translation>
    </message>
    <message>
        <source>电池组</source>
        <translation>电池组</translation>
    </message>
    <message>
        <source>电池包 %1</source>
        <translation>电池包 %1</translation>
    </message>
    <message>
        <source>尚无数据</source>
        <translation>尚无数据</translation>
    </message>
    <message>
        <source>自 %1 起：充入 %2 Ah / %3 kWh，放出 %4 Ah / %5 kWh</source>
        <translation>自 %1 起：充入 %2 Ah / %3 kWh，放出 %4 Ah / %5 kWh</translation>
    </message>
    <message>
        <source>等效循环 %1</source>
        <translation>等效循环 %1</translation>
    </message>
    <message>
        <source>等效循环：未知（尚未读取设计容量）</source>
        <translation>等效循环：未知（尚未读取设计容量）</translation>
    </message>
    <message>
        <source>（电池自计 %1 次）</source>
        <translation>（电池自计 %1 次）</translation>
    </message>
    <message>
        <source>无法读取记录 %1（第 %2 行）。</source>
        <translation>无法读取记录 %1（第 %2 行）。</translation>
    </message>
    <message>
        <source>记录 %1</source>
        <translation>记录 %1</translation>
    </message>
    <message>
        <source>记录 %1：只读到第 %2 行。</source>
        <translation>记录 %1：只读到第 %2 行。</translation>
    </message>
</context>
<context>
    <name>EventFile</name>
    <message>
        <source>无法创建文件夹 %1。</source>
        <translation>无法创建文件夹 %1。</translation>
    </message>
    <message>
        <source>%1 不是事件文件：文件保持不变，事件不写入其中。</source>
        <translation>%1 不是事件文件：文件保持不变，事件不写入其中。</translation>
    </message>
    <message>
        <source>无法打开 %1：%2</source>
        <translation>无法打开 %1：%2</translation>
    </message>
    <message>
        <source>文件是空的。</source>
        <translation>文件是空的。</translation>
    </message>
    <message>
        <source>不是事件文件：第一行不是事件文件的标题行。</source>
        <translation>不是事件文件：第一行不是事件文件的标题行。</translation>
    </message>
</context>
<context>
    <name>EventNames</name>
    <message>
        <source>充电高温保护</source>
        <translation>充电高温保护</translation>
    </message>
    <message>
        <source>放电高温保护</source>
        <translation>放电高温保护</translation>
    </message>
    <message>
        <source>充电低温保护</source>
        <translation>充电低温保护</translation>
    </message>
    <message>
        <source>放电低温保护</source>
        <translation>放电低温保护</translation>
    </message>
    <message>
        <source>过压保护</source>
        <translation>过压保护</translation>
    </message>
    <message>
        <source>充电过流保护</source>
        <translation>充电过流保护</translation>
    </message>
    <message>
        <source>欠压保护</source>
        <translation>欠压保护</translation>
    </message>
    <message>
        <source>一级放电过流保护</source>
        <translation>一级放电过流保护</translation>
    </message>
    <message>
        <source>二级放电过流保护</source>
        <translation>二级放电过流保护</translation>
    </message>
    <message>
        <source>PCB高温保护</source>
        <translation>PCB高温保护</translation>
    </message>
    <message>
        <source>短路保护</source>
        <translation>短路保护</translation>
    </message>
    <message>
        <source>压差保护</source>
        <translation>压差保护</translation>
    </message>
    <message>
        <source>总过压保护</source>
        <translation>总过压保护</translation>
    </message>
    <message>
        <source>总欠压保护</source>
        <translation>总欠压保护</translation>
    </message>
    <message>
        <source>未知保护代码 %1</source>
        <translation>未知保护代码 %1</translation>
    </message>
    <message>
        <source>充电高温报警</source>
        <translation>充电高温报警</translation>
    </message>
    <message>
        <source>充电低温报警</source>
        <translation>充电低温报警</translation>
    </message>
    <message>
        <source>放电高温报警</source>
        <translation>放电高温报警</translation>
    </message>
    <message>
        <source>放电低温报警</source>
        <translation>放电低温报警</translation>
    </message>
    <message>
        <source>未知报警位 %1</source>
        <translation>未知报警位 %1</translation>
    </message>
    <message>
        <source>充电MOS关闭</source>
        <translation>充电MOS关闭</translation>
    </message>
    <message>
        <source>放电MOS关闭</source>
        <translation>放电MOS关闭</translation>
    </message>
    <message>
        <source>通信中断</source>
        <translation>通信中断</translation>
    </message>
    <message>
        <source>压差过大</source>
        <translation>压差过大</translation>
    </message>
    <message>
        <source>低电量</source>
        <translation>低电量</translation>
    </message>
    <message>
        <source>保护</source>
        <translation>保护</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>报警</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>通信</source>
        <translation>通信</translation>
    </message>
    <message>
        <source>压差</source>
        <translation>压差</translation>
    </message>
    <message>
        <source>电芯 %1</source>
        <translation>电芯 %1</translation>
    </message>
    <message>
        <source>环境温度传感器</source>
        <translation>环境温度传感器</translation>
    </message>
    <message>
        <source>MOS温度传感器</source>
        <translation>MOS温度传感器</translation>
    </message>
    <message>
        <source>温度传感器 TS%1</source>
        <translation>温度传感器 TS%1</translation>
    </message>
    <message>
        <source>电流</source>
        <translation>电流</translation>
    </message>
    <message>
        <source>总电压</source>
        <translation>总电压</translation>
    </message>
    <message>
        <source>电量</source>
        <translation>电量</translation>
    </message>
    <message>
        <source>%1，%2，%3 偏离最大</source>
        <translation>%1，%2，%3 偏离最大</translation>
    </message>
    <message>
        <source>%1，%2 为 %3</source>
        <translation>%1，%2 为 %3</translation>
    </message>
    <message>
        <source>，最差 %1</source>
        <translation>，最差 %1</translation>
    </message>
    <message>
        <source>，保护阈值 %1</source>
        <translation>，保护阈值 %1</translation>
    </message>
    <message>
        <source>，报警阈值 %1</source>
        <translation>，报警阈值 %1</translation>
    </message>
    <message>
        <source>，设定值 %1</source>
        <translation>，设定值 %1</translation>
    </message>
</context>
<context>
    <name>EventsModel</name>
    <message>
        <source>进行中</source>
        <translation>进行中</translation>
    </message>
    <message>
        <source>未知</source>
        <translation>未知</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1（%2）</translation>
    </message>
    <message>
        <source>监视在此停止（连接关闭或程序结束），事件实际结束的时间未知。</source>
        <translation>监视在此停止（连接关闭或程序结束），事件实际结束的时间未知。</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>开始</translation>
    </message>
    <message>
        <source>结束</source>
        <translation>结束</translation>
    </message>
    <message>
        <source>持续</source>
        <translation>持续</translation>
    </message>
    <message>
        <source>电池包</source>
        <translation>电池包</translation>
    </message>
    <message>
        <source>事件</source>
        <translation>事件</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>位置</translation>
    </message>
    <message>
        <source>数值（最差）</source>
        <translation>数值（最差）</translation>
    </message>
    <message>
        <source>阈值</source>
        <translation>阈值</translation>
    </message>
</context>
<context>
    <name>EventsPage</name>
    <message>
        <source>事件无法写入：%1</source>
        <translation>事件无法写入：%1</translation>
    </message>
    <message>
        <source>%1 无法读取：%2</source>
        <translation>%1 无法读取：%2</translation>
    </message>
    <message>
        <source>%1 未打开：%2</source>
        <translation>%1 未打开：%2</translation>
    </message>
    <message>
        <source>全部电池包</source>
        <translation>全部电池包</translation>
    </message>
    <message>
        <source>电池包 %1</source>
        <translation>电池包 %1</translation>
    </message>
    <message>
        <source>事件 (%1)</source>
        <translation>事件 (%1)</translation>
    </message>
    <message>
        <source>事件</source>
        <translation>事件</translation>
    </message>
    <message>
        <source>事件文件 %1  ·  %2 个事件</source>
        <translation>事件文件 %1  ·  %2 个事件</translation>
    </message>
    <message>
        <source>实时事件与最近的记录（%1）</source>
        <translation>实时事件与最近的记录（%1）</translation>
    </message>
    <message>
        <source>全部类型</source>
        <translation>全部类型</translation>
    </message>
    <message>
        <source>仅进行中</source>
        <translation>仅进行中</translation>
    </message>
    <message>
        <source>打开事件文件</source>
        <translation>打开事件文件</translation>
    </message>
    <message>
        <source>桌面通知</source>
        <translation>桌面通知</translation>
    </message>
    <message>
        <source>窗口不在前台时，保护触发或电池包失去连接会发出桌面通知。</source>
        <translation>窗口不在前台时，保护触发或电池包失去连接会发出桌面通知。</translation>
    </message>
    <message>
        <source>压差提醒</source>
        <translation>压差提醒</translation>
    </message>
    <message>
        <source>低电量提醒</source>
        <translation>低电量提醒</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>最高与最低电芯电压之差超过此值时记为事件；0 为关闭。</source>
        <translation>最高与最低电芯电压之差超过此值时记为事件；0 为关闭。</translation>
    </message>
    <message>
        <source>电量低于此值时记为事件；0 为关闭。</source>
        <translation>电量低于此值时记为事件；0 为关闭。</translation>
    </message>
</context>
<context>
    <name>FrameConsole</name>
    <message>
        <source>继续</source>
        <translation>继续</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>暂停</translation>
    </message>
    <message>
        <source>保存帧记录</source>
        <translation>保存帧记录</translation>
    </message>
    <message>
        <source>文本文件 (*.txt)</source>
        <translation>文本文件 (*.txt)</translation>
    </message>
    <message>
        <source>保存失败</source>
        <translation>保存失败</translation>
    </message>
    <message>
        <source>帧记录无法写入 %1：
%2</source>
        <translation>帧记录无法写入 %1：
%2</translation>
    </message>
    <message>
        <source>帧控制台</source>
        <translation>帧控制台</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>清除</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>筛选：</source>
        <translation>筛选：</translation>
    </message>
    <message>
        <source>如 51 52、00-1F 或 addr 1,3-5</source>
        <translation>如 51 52、00-1F 或 addr 1,3-5</translation>
    </message>
    <message>
        <source>两位十六进制的代码，以空格或逗号分开；范围如 00-1F。
addr 加上十进制的地址或地址列表（如 addr 5 或 addr 1,3-5），只显示这些电池包的帧。</source>
        <translation>两位十六进制的代码，以空格或逗号分开；范围如 00-1F。
addr 加上十进制的地址或地址列表（如 addr 5 或 addr 1,3-5），只显示这些电池包的帧。</translation>
    </message>
    <message>
        <source>共 %1 条，显示 %2 条</source>
        <translation>共 %1 条，显示 %2 条</translation>
    </message>
    <message>
        <source>，已丢弃更早的 %1 条</source>
        <translation>，已丢弃更早的 %1 条</translation>
    </message>
    <message>
        <source>已保存 %1 条到 %2</source>
        <translation>已保存 %1 条到 %2</translation>
    </message>
</context>
<context>
    <name>FrameLog</name>
    <message>
        <source>时间</source>
        <translation>时间</translation>
    </message>
    <message>
        <source>方向</source>
        <translation>方向</translation>
    </message>
    <message>
        <source>代码</source>
        <translation>代码</translation>
    </message>
    <message>
        <source>校验</source>
        <translation>校验</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>内容</translation>
    </message>
    <message>
        <source>十六进制</source>
        <translation>十六进制</translation>
    </message>
    <message>
        <source>读请求没有得到应答</source>
        <translation>读请求没有得到应答</translation>
    </message>
    <message>
        <source>地址 %1 没有应答</source>
        <translation>地址 %1 没有应答</translation>
    </message>
    <message>
        <source>地址 %1 的应答不完整</source>
        <translation>地址 %1 的应答不完整</translation>
    </message>
    <message>
        <source>线路不空闲，帧等到下一个周期</source>
        <translation>线路不空闲，帧等到下一个周期</translation>
    </message>
    <message>
        <source>线路忙，地址 %1 的请求未发出</source>
        <translation>线路忙，地址 %1 的请求未发出</translation>
    </message>
    <message>
        <source>记录已暂停：继续之前的帧没有记录</source>
        <translation>记录已暂停：继续之前的帧没有记录</translation>
    </message>
    <message>
        <source>窗口已关闭：再次打开之前的帧没有记录</source>
        <translation>窗口已关闭：再次打开之前的帧没有记录</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>发送</translation>
    </message>
    <message>
        <source>接收</source>
        <translation>接收</translation>
    </message>
    <message>
        <source>事件</source>
        <translation>事件</translation>
    </message>
    <message>
        <source>CRC 正确</source>
        <translation>CRC 正确</translation>
    </message>
    <message>
        <source>CRC 错误</source>
        <translation>CRC 错误</translation>
    </message>
    <message>
        <source>无起始符</source>
        <translation>无起始符</translation>
    </message>
    <message>
        <source>超时</source>
        <translation>超时</translation>
    </message>
    <message>
        <source>总线忙</source>
        <translation>总线忙</translation>
    </message>
    <message>
        <source>未发出</source>
        <translation>未发出</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>暂停</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>更早的 %1 条已丢弃</source>
        <translation>更早的 %1 条已丢弃</translation>
    </message>
    <message>
        <source>筛选：%1</source>
        <translation>筛选：%1</translation>
    </message>
    <message>
        <source>写入出错</source>
        <translation>写入出错</translation>
    </message>
    <message>
        <source>端口未打开</source>
        <translation>端口未打开</translation>
    </message>
    <message>
        <source>端口不可写</source>
        <translation>端口不可写</translation>
    </message>
    <message>
        <source>只写出了一部分</source>
        <translation>只写出了一部分</translation>
    </message>
</context>
<context>
    <name>HealthPage</name>
    <message>
        <source>电芯健康</source>
        <translation>电芯健康</translation>
    </message>
    <message>
        <source>记录 %1  ·  %2 行  ·  电池包 %3</source>
        <translation>记录 %1  ·  %2 行  ·  电池包 %3</translation>
    </message>
    <message>
        <source>电流阶跃 %1</source>
        <translation>电流阶跃 %1</translation>
    </message>
    <message>
        <source>未计：保护中 %1，均衡中 %2，间隔过长 %3</source>
        <translation>未计：保护中 %1，均衡中 %2，间隔过长 %3</translation>
    </message>
    <message>
        <source>内阻偏高：电芯 %1</source>
        <translation>内阻偏高：电芯 %1</translation>
    </message>
    <message>
        <source>无内阻偏高的电芯</source>
        <translation>无内阻偏高的电芯</translation>
    </message>
    <message>
        <source>压差：静置 %1 mV，负载 %2 mV</source>
        <translation>压差：静置 %1 mV，负载 %2 mV</translation>
    </message>
    <message>
        <source>放电时最常最低：电芯 %1（%2 %）</source>
        <translation>放电时最常最低：电芯 %1（%2 %）</translation>
    </message>
    <message>
        <source>%1 中没有数据行。</source>
        <translation>%1 中没有数据行。</translation>
    </message>
</context>
<context>
    <name>HealthView</name>
    <message>
        <source>电流阶跃尚不足</source>
        <translation>电流阶跃尚不足</translation>
    </message>
    <message>
        <source>电芯内阻 (mΩ)</source>
        <translation>电芯内阻 (mΩ)</translation>
    </message>
    <message>
        <source>电芯</source>
        <translation>电芯</translation>
    </message>
    <message>
        <source>阶跃</source>
        <translation>阶跃</translation>
    </message>
    <message>
        <source>中位数 %1 mΩ</source>
        <translation>中位数 %1 mΩ</translation>
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
        <translation>串口：</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>波特率</translation>
    </message>
    <message>
        <source>Pack</source>
        <translation>Pack</translation>
    </message>
    <message>
        <source>Priod(ms)</source>
        <translation>Priod(ms)</translation>
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
        <translation>主页</translation>
    </message>
    <message>
        <source>当前剩余容量</source>
        <translation>当前剩余容量</translation>
    </message>
    <message>
        <source>  当前电流</source>
        <translation>  当前电流</translation>
    </message>
    <message>
        <source>mA</source>
        <translation>mA</translation>
    </message>
    <message>
        <source>工作状态</source>
        <translation>工作状态</translation>
    </message>
    <message>
        <source>静止</source>
        <translation>静止</translation>
    </message>
    <message>
        <source>充电</source>
        <translation>充电</translation>
    </message>
    <message>
        <source>放电</source>
        <translation>放电</translation>
    </message>
    <message>
        <source>  温度保护状态</source>
        <translation>  温度保护状态</translation>
    </message>
    <message>
        <source> 充电高温保护</source>
        <translation> 充电高温保护</translation>
    </message>
    <message>
        <source> 充电低温保护</source>
        <translation> 充电低温保护</translation>
    </message>
    <message>
        <source> 放电高温保护</source>
        <translation> 放电高温保护</translation>
    </message>
    <message>
        <source> 放电低温保护</source>
        <translation> 放电低温保护</translation>
    </message>
    <message>
        <source> PCB高温保护</source>
        <translation> PCB高温保护</translation>
    </message>
    <message>
        <source> 均衡信息</source>
        <translation> 均衡信息</translation>
    </message>
    <message>
        <source>均衡状态</source>
        <translation>均衡状态</translation>
    </message>
    <message>
        <source>Cell #Null</source>
        <translation>Cell #Null</translation>
    </message>
    <message>
        <source>  电压保护状态</source>
        <translation>  电压保护状态</translation>
    </message>
    <message>
        <source>欠压保护</source>
        <translation>欠压保护</translation>
    </message>
    <message>
        <source>过压保护</source>
        <translation>过压保护</translation>
    </message>
    <message>
        <source>压差保护</source>
        <translation>压差保护</translation>
    </message>
    <message>
        <source>总欠压保护</source>
        <translation>总欠压保护</translation>
    </message>
    <message>
        <source>总过压保护</source>
        <translation>总过压保护</translation>
    </message>
    <message>
        <source>  电流保护状态</source>
        <translation>  电流保护状态</translation>
    </message>
    <message>
        <source>一级放电过流保护</source>
        <translation>一级放电过流保护</translation>
    </message>
    <message>
        <source>二级放电过流保护</source>
        <translation>二级放电过流保护</translation>
    </message>
    <message>
        <source> 充电过流保护</source>
        <translation> 充电过流保护</translation>
    </message>
    <message>
        <source> 短路保护</source>
        <translation> 短路保护</translation>
    </message>
    <message>
        <source> 报警状态</source>
        <translation> 报警状态</translation>
    </message>
    <message>
        <source>低电量报警</source>
        <translation>低电量报警</translation>
    </message>
    <message>
        <source>放电过流报警</source>
        <translation>放电过流报警</translation>
    </message>
    <message>
        <source>充电过流报警</source>
        <translation>充电过流报警</translation>
    </message>
    <message>
        <source>充电高温报警</source>
        <translation>充电高温报警</translation>
    </message>
    <message>
        <source>充电低温报警</source>
        <translation>充电低温报警</translation>
    </message>
    <message>
        <source>放电高温报警</source>
        <translation>放电高温报警</translation>
    </message>
    <message>
        <source>放电低温报警</source>
        <translation>放电低温报警</translation>
    </message>
    <message>
        <source>环境高温报警</source>
        <translation>环境高温报警</translation>
    </message>
    <message>
        <source>环境低温报警</source>
        <translation>环境低温报警</translation>
    </message>
    <message>
        <source>系统状态</source>
        <translation>系统状态</translation>
    </message>
    <message>
        <source>保护失效</source>
        <translation>保护失效</translation>
    </message>
    <message>
        <source>AFE通讯失效</source>
        <translation>AFE通讯失效</translation>
    </message>
    <message>
        <source>数据存储失效</source>
        <translation>数据存储失效</translation>
    </message>
    <message>
        <source>SOC异常</source>
        <translation>SOC异常</translation>
    </message>
    <message>
        <source>电芯丢失</source>
        <translation>电芯丢失</translation>
    </message>
    <message>
        <source>配置丢失</source>
        <translation>配置丢失</translation>
    </message>
    <message>
        <source>简要数据</source>
        <translation>简要数据</translation>
    </message>
    <message>
        <source>最大电压 (mV)</source>
        <translation>最大电压 (mV)</translation>
    </message>
    <message>
        <source>最小电压 (mV)</source>
        <translation>最小电压 (mV)</translation>
    </message>
    <message>
        <source>平均电压(mV)</source>
        <translation>平均电压(mV)</translation>
    </message>
    <message>
        <source>总电压(mV)</source>
        <translation>总电压(mV)</translation>
    </message>
    <message>
        <source>最大压差(mV)</source>
        <translation>最大压差(mV)</translation>
    </message>
    <message>
        <source>循环次数</source>
        <translation>循环次数</translation>
    </message>
    <message>
        <source>校准状态</source>
        <translation>校准状态</translation>
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
        <translation>设备编号</translation>
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
        <translation> 详细数据</translation>
    </message>
    <message>
        <source>电池编号</source>
        <translation>电池编号</translation>
    </message>
    <message>
        <source>电流 (mA)</source>
        <translation>电流 (mA)</translation>
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
        <translation>按键状态</translation>
    </message>
    <message>
        <source>最大电位差 (mV)</source>
        <translation>最大电位差 (mV)</translation>
    </message>
    <message>
        <source>最小电位差 (mV)</source>
        <translation>最小电位差 (mV)</translation>
    </message>
    <message>
        <source>平均电压 (mV)</source>
        <translation>平均电压 (mV)</translation>
    </message>
    <message>
        <source>总电压 (mV)</source>
        <translation>总电压 (mV)</translation>
    </message>
    <message>
        <source>串数</source>
        <translation>串数</translation>
    </message>
    <message>
        <source>电流补偿值</source>
        <translation>电流补偿值</translation>
    </message>
    <message>
        <source>SOC</source>
        <translation>SOC</translation>
    </message>
    <message>
        <source>电芯极值</source>
        <translation>电芯极值</translation>
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
        <translation>衰减度</translation>
    </message>
    <message>
        <source>阻尼值</source>
        <translation>阻尼值</translation>
    </message>
    <message>
        <source>芯片温度</source>
        <translation>芯片温度</translation>
    </message>
    <message>
        <source>报警状态</source>
        <translation>报警状态</translation>
    </message>
    <message>
        <source>保护状态</source>
        <translation>保护状态</translation>
    </message>
    <message>
        <source>均衡信息</source>
        <translation>均衡信息</translation>
    </message>
    <message>
        <source>参数管理</source>
        <translation>参数管理</translation>
    </message>
    <message>
        <source>保护参数</source>
        <translation>保护参数</translation>
    </message>
    <message>
        <source>欠压保护阈值</source>
        <translation>欠压保护阈值</translation>
    </message>
    <message>
        <source>mV</source>
        <translation>mV</translation>
    </message>
    <message>
        <source>应用</source>
        <translation>应用</translation>
    </message>
    <message>
        <source>欠压恢复阈值</source>
        <translation>欠压恢复阈值</translation>
    </message>
    <message>
        <source>欠压保护延时</source>
        <translation>欠压保护延时</translation>
    </message>
    <message>
        <source>mS</source>
        <translation>mS</translation>
    </message>
    <message>
        <source>过压保护阈值</source>
        <translation>过压保护阈值</translation>
    </message>
    <message>
        <source>过压恢复阈值</source>
        <translation>过压恢复阈值</translation>
    </message>
    <message>
        <source>过压保护延时</source>
        <translation>过压保护延时</translation>
    </message>
    <message>
        <source>总欠压保护阈值</source>
        <translation>总欠压保护阈值</translation>
    </message>
    <message>
        <source>10mV</source>
        <translation>10mV</translation>
    </message>
    <message>
        <source>总欠压恢复阈值</source>
        <translation>总欠压恢复阈值</translation>
    </message>
    <message>
        <source>总过压保护阈值</source>
        <translation>总过压保护阈值</translation>
    </message>
    <message>
        <source>总过压恢复阈值</source>
        <translation>总过压恢复阈值</translation>
    </message>
    <message>
        <source>充电过流保护阈值</source>
        <translation>充电过流保护阈值</translation>
    </message>
    <message>
        <source>A</source>
        <translation>A</translation>
    </message>
    <message>
        <source>充电过流保护延时</source>
        <translation>充电过流保护延时</translation>
    </message>
    <message>
        <source>放电过流一保护阈值</source>
        <translation>放电过流一保护阈值</translation>
    </message>
    <message>
        <source>放电过流二保护阈值</source>
        <translation>放电过流二保护阈值</translation>
    </message>
    <message>
        <source>放电过流一保护延时</source>
        <translation>放电过流一保护延时</translation>
    </message>
    <message>
        <source>放电过流二保护延时</source>
        <translation>放电过流二保护延时</translation>
    </message>
    <message>
        <source>充电高温保护阈值</source>
        <translation>充电高温保护阈值</translation>
    </message>
    <message>
        <source>℃</source>
        <translation>℃</translation>
    </message>
    <message>
        <source>充电高温恢复阈值</source>
        <translation>充电高温恢复阈值</translation>
    </message>
    <message>
        <source>放电高温保护阈值</source>
        <translation>放电高温保护阈值</translation>
    </message>
    <message>
        <source>充电低温恢复阈值</source>
        <translation>充电低温恢复阈值</translation>
    </message>
    <message>
        <source>充电低温保护阈值</source>
        <translation>充电低温保护阈值</translation>
    </message>
    <message>
        <source>放电高温恢复阈值</source>
        <translation>放电高温恢复阈值</translation>
    </message>
    <message>
        <source>放电低温保护阈值</source>
        <translation>放电低温保护阈值</translation>
    </message>
    <message>
        <source>放电低温恢复阈值</source>
        <translation>放电低温恢复阈值</translation>
    </message>
    <message>
        <source>报警参数</source>
        <translation>报警参数</translation>
    </message>
    <message>
        <source>温度报警</source>
        <translation>温度报警</translation>
    </message>
    <message>
        <source>充电高温报警阈值</source>
        <translation>充电高温报警阈值</translation>
    </message>
    <message>
        <source>放电高温报警阈值</source>
        <translation>放电高温报警阈值</translation>
    </message>
    <message>
        <source>充电低温报警阈值</source>
        <translation>充电低温报警阈值</translation>
    </message>
    <message>
        <source>放电低温报警阈值</source>
        <translation>放电低温报警阈值</translation>
    </message>
    <message>
        <source>环境高温报警阈值</source>
        <translation>环境高温报警阈值</translation>
    </message>
    <message>
        <source>环境低温报警阈值</source>
        <translation>环境低温报警阈值</translation>
    </message>
    <message>
        <source>电压报警</source>
        <translation>电压报警</translation>
    </message>
    <message>
        <source>单体欠压报警阈值</source>
        <translation>单体欠压报警阈值</translation>
    </message>
    <message>
        <source>单体过压报警阈值</source>
        <translation>单体过压报警阈值</translation>
    </message>
    <message>
        <source>总压欠压报警阈值</source>
        <translation>总压欠压报警阈值</translation>
    </message>
    <message>
        <source>电流报警</source>
        <translation>电流报警</translation>
    </message>
    <message>
        <source>充电过流报警阈值</source>
        <translation>充电过流报警阈值</translation>
    </message>
    <message>
        <source>放电过流报警阈值</source>
        <translation>放电过流报警阈值</translation>
    </message>
    <message>
        <source>其他报警</source>
        <translation>其他报警</translation>
    </message>
    <message>
        <source>低电量报警阈值</source>
        <translation>低电量报警阈值</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
    <message>
        <source>功率报警阈值</source>
        <translation>功率报警阈值</translation>
    </message>
    <message>
        <source>W</source>
        <translation>W</translation>
    </message>
    <message>
        <source>设备参数</source>
        <translation>设备参数</translation>
    </message>
    <message>
        <source>设计容量</source>
        <translation>设计容量</translation>
    </message>
    <message>
        <source>检测阻值</source>
        <translation>检测阻值</translation>
    </message>
    <message>
        <source>电压保护增益值</source>
        <translation>电压保护增益值</translation>
    </message>
    <message>
        <source>电芯串数</source>
        <translation>电芯串数</translation>
    </message>
    <message>
        <source>均衡参数</source>
        <translation>均衡参数</translation>
    </message>
    <message>
        <source>均衡检测电压</source>
        <translation>均衡检测电压</translation>
    </message>
    <message>
        <source>均衡开启压差</source>
        <translation>均衡开启压差</translation>
    </message>
    <message>
        <source>压差保护阈值</source>
        <translation>压差保护阈值</translation>
    </message>
    <message>
        <source>校准电流值</source>
        <translation>校准电流值</translation>
    </message>
    <message>
        <source>.</source>
        <translation>.</translation>
    </message>
    <message>
        <source>初始化参数</source>
        <translation>初始化参数</translation>
    </message>
    <message>
        <source>初始化SOC</source>
        <translation>初始化SOC</translation>
    </message>
    <message>
        <source>系统复位</source>
        <translation>系统复位</translation>
    </message>
    <message>
        <source>当前电流</source>
        <translation>当前电流</translation>
    </message>
    <message>
        <source>开始校准</source>
        <translation>开始校准</translation>
    </message>
    <message>
        <source>版本号</source>
        <translation>版本号</translation>
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
        <translation>Read Statu</translation>
    </message>
    <message>
        <source>一键读取</source>
        <translation>一键读取</translation>
    </message>
    <message>
        <source>实时数据</source>
        <translation>实时数据</translation>
    </message>
    <message>
        <source>RUN</source>
        <translation>RUN</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>导出</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>清除</translation>
    </message>
    <message>
        <source>总记录</source>
        <translation>总记录</translation>
    </message>
    <message>
        <source>设备管理</source>
        <translation>设备管理</translation>
    </message>
    <message>
        <source>当前系统版本</source>
        <translation>当前系统版本</translation>
    </message>
    <message>
        <source>目标地址</source>
        <translation>目标地址</translation>
    </message>
    <message>
        <source>文件路径</source>
        <translation>文件路径</translation>
    </message>
    <message>
        <source>浏览</source>
        <translation>浏览</translation>
    </message>
    <message>
        <source>传输进度</source>
        <translation>传输进度</translation>
    </message>
    <message>
        <source>下载</source>
        <translation>下载</translation>
    </message>
    <message>
        <source>Debug</source>
        <translation>Debug</translation>
    </message>
    <message>
        <source>充电过流保护</source>
        <translation>充电过流保护</translation>
    </message>
    <message>
        <source>充电高温保护</source>
        <translation>充电高温保护</translation>
    </message>
    <message>
        <source>充电低温保护</source>
        <translation>充电低温保护</translation>
    </message>
    <message>
        <source>放电过流一保护</source>
        <translation>放电过流一保护</translation>
    </message>
    <message>
        <source>放电过流二保护</source>
        <translation>放电过流二保护</translation>
    </message>
    <message>
        <source>放电高温保护</source>
        <translation>放电高温保护</translation>
    </message>
    <message>
        <source>放电低温保护</source>
        <translation>放电低温保护</translation>
    </message>
    <message>
        <source>蜂鸣器</source>
        <translation>蜂鸣器</translation>
    </message>
    <message>
        <source>休眠</source>
        <translation>休眠</translation>
    </message>
    <message>
        <source> 电流校准</source>
        <translation> 电流校准</translation>
    </message>
    <message>
        <source>短路启动延时</source>
        <translation>短路启动延时</translation>
    </message>
    <message>
        <source>短路保护启动压差</source>
        <translation>短路保护启动压差</translation>
    </message>
    <message>
        <source>主控芯片复位</source>
        <translation>主控芯片复位</translation>
    </message>
    <message>
        <source>初始化保护参数</source>
        <translation>初始化保护参数</translation>
    </message>
    <message>
        <source>初始化SOC模型</source>
        <translation>初始化SOC模型</translation>
    </message>
    <message>
        <source>DEBUG</source>
        <translation>DEBUG</translation>
    </message>
    <message>
        <source>数据采集间隔</source>
        <translation>数据采集间隔</translation>
    </message>
    <message>
        <source>电流类型</source>
        <translation>电流类型</translation>
    </message>
    <message>
        <source>深度休眠压差</source>
        <translation>深度休眠压差</translation>
    </message>
    <message>
        <source>学习因子</source>
        <translation>学习因子</translation>
    </message>
    <message>
        <source>BLEMac</source>
        <translation>BLEMac</translation>
    </message>
    <message>
        <source>BLE名称</source>
        <translation>BLE名称</translation>
    </message>
    <message>
        <source>充电MOS开关</source>
        <translation>充电MOS开关</translation>
    </message>
    <message>
        <source>放电MOS开关</source>
        <translation>放电MOS开关</translation>
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
        <translation>no connect !</translation>
    </message>
    <message>
        <source>2023-10-25 16:51:16</source>
        <translation>2023-10-25 16:51:16</translation>
    </message>
    <message>
        <source>日期</source>
        <translation>日期</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>时间</translation>
    </message>
    <message>
        <source>MOS状态</source>
        <translation>MOS状态</translation>
    </message>
    <message>
        <source>SOH</source>
        <translation>SOH</translation>
    </message>
    <message>
        <source>电流(A)</source>
        <translation>电流(A)</translation>
    </message>
    <message>
        <source>总电压(V)</source>
        <translation>总电压(V)</translation>
    </message>
    <message>
        <source>MOS温度(℃)</source>
        <translation>MOS温度(℃)</translation>
    </message>
    <message>
        <source>电芯温度1(℃)</source>
        <translation>电芯温度1(℃)</translation>
    </message>
    <message>
        <source>电芯温度2(℃)</source>
        <translation>电芯温度2(℃)</translation>
    </message>
    <message>
        <source>电芯温度3(℃)</source>
        <translation>电芯温度3(℃)</translation>
    </message>
    <message>
        <source>电芯温度4(℃)</source>
        <translation>电芯温度4(℃)</translation>
    </message>
    <message>
        <source>环境温度(℃)</source>
        <translation>环境温度(℃)</translation>
    </message>
    <message>
        <source>电芯1(mV)</source>
        <translation>电芯1(mV)</translation>
    </message>
    <message>
        <source>电芯2(mV)</source>
        <translation>电芯2(mV)</translation>
    </message>
    <message>
        <source>电芯3(mV)</source>
        <translation>电芯3(mV)</translation>
    </message>
    <message>
        <source>电芯4(mV)</source>
        <translation>电芯4(mV)</translation>
    </message>
    <message>
        <source>电芯5(mV)</source>
        <translation>电芯5(mV)</translation>
    </message>
    <message>
        <source>电芯6(mV)</source>
        <translation>电芯6(mV)</translation>
    </message>
    <message>
        <source>电芯7(mV)</source>
        <translation>电芯7(mV)</translation>
    </message>
    <message>
        <source>电芯8(mV)</source>
        <translation>电芯8(mV)</translation>
    </message>
    <message>
        <source>电芯9(mV)</source>
        <translation>电芯9(mV)</translation>
    </message>
    <message>
        <source>电芯10(mV)</source>
        <translation>电芯10(mV)</translation>
    </message>
    <message>
        <source>电芯11(mV)</source>
        <translation>电芯11(mV)</translation>
    </message>
    <message>
        <source>电芯12(mV)</source>
        <translation>电芯12(mV)</translation>
    </message>
    <message>
        <source>电芯13(mV)</source>
        <translation>电芯13(mV)</translation>
    </message>
    <message>
        <source>电芯14(mV)</source>
        <translation>电芯14(mV)</translation>
    </message>
    <message>
        <source>电芯15(mV)</source>
        <translation>电芯15(mV)</translation>
    </message>
    <message>
        <source>电芯16(mV)</source>
        <translation>电芯16(mV)</translation>
    </message>
    <message>
        <source>电芯17(mV)</source>
        <translation>电芯17(mV)</translation>
    </message>
    <message>
        <source>电芯18(mV)</source>
        <translation>电芯18(mV)</translation>
    </message>
    <message>
        <source>电芯19(mV)</source>
        <translation>电芯19(mV)</translation>
    </message>
    <message>
        <source>电芯20(mV)</source>
        <translation>电芯20(mV)</translation>
    </message>
    <message>
        <source>电芯21(mV)</source>
        <translation>电芯21(mV)</translation>
    </message>
    <message>
        <source>电芯22(mV)</source>
        <translation>电芯22(mV)</translation>
    </message>
    <message>
        <source>电芯23(mV)</source>
        <translation>电芯23(mV)</translation>
    </message>
    <message>
        <source>电芯24(mV)</source>
        <translation>电芯24(mV)</translation>
    </message>
    <message>
        <source>电芯25(mV)</source>
        <translation>电芯25(mV)</translation>
    </message>
    <message>
        <source>About Arvex</source>
        <translation>About Arvex</translation>
    </message>
    <message>
        <source>&lt;b&gt;This program is an upper computer softwaredeveloped using QT5.14, which belongs to the communication tool of the Arvex system. It has the functions of data collection, device parameter adjustment, and firmware maintenance for the battery system.&lt;b&gt;</source>
        <translation>&lt;b&gt;This program is an upper computer softwaredeveloped using QT5.14, which belongs to the communication tool of the Arvex system. It has the functions of data collection, device parameter adjustment, and firmware maintenance for the battery system.&lt;b&gt;</translation>
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
        <translation>设备移除</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>串口未打开，请先打开串口。</source>
        <translation>串口未打开，请先打开串口。</translation>
    </message>
    <message>
        <source>串口不可用。</source>
        <translation>串口不可用。</translation>
    </message>
    <message>
        <source>写入数据失败。</source>
        <translation>写入数据失败。</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>未能写入全部数据。</source>
        <translation>未能写入全部数据。</translation>
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
        <translation>拔出的适配器在 5 分钟内插回时，重新打开它并继续轮询</translation>
    </message>
    <message>
        <source>自动重连</source>
        <translation>自动重连</translation>
    </message>
    <message>
        <source>等待适配器插回（至 %1）</source>
        <translation>等待适配器插回（至 %1）</translation>
    </message>
    <message>
        <source>在 Linux 上，串口设备属于 dialout 组。请用 “sudo usermod -aG dialout $USER” 把自己加入该组，然后注销并重新登录。</source>
        <translation>在 Linux 上，串口设备属于 dialout 组。请用 “sudo usermod -aG dialout $USER” 把自己加入该组，然后注销并重新登录。</translation>
    </message>
    <message>
        <source>记录时把每一行同时写入文件</source>
        <translation>记录时把每一行同时写入文件</translation>
    </message>
    <message>
        <source>记录到文件</source>
        <translation>记录到文件</translation>
    </message>
    <message>
        <source>更改文件夹</source>
        <translation>更改文件夹</translation>
    </message>
    <message>
        <source>打开文件夹</source>
        <translation>打开文件夹</translation>
    </message>
    <message>
        <source>趋势</source>
        <translation>趋势</translation>
    </message>
    <message>
        <source>5 分钟</source>
        <translation>5 分钟</translation>
    </message>
    <message>
        <source>1 小时</source>
        <translation>1 小时</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>返回实时</source>
        <translation>返回实时</translation>
    </message>
    <message>
        <source>打开记录</source>
        <translation>打开记录</translation>
    </message>
    <message>
        <source>记录无法写入 %1：
%2

记录到文件已停止。表格仍在继续记录，请导出表格以保存这些行。</source>
        <translation>记录无法写入 %1：
%2

记录到文件已停止。表格仍在继续记录，请导出表格以保存这些行。</translation>
    </message>
    <message>
        <source>记录已停止</source>
        <translation>记录已停止</translation>
    </message>
    <message>
        <source>正在记录到 %1  ·  %2 行  ·  %3</source>
        <translation>正在记录到 %1  ·  %2 行  ·  %3</translation>
    </message>
    <message>
        <source>记录已停止：%1</source>
        <translation>记录已停止：%1</translation>
    </message>
    <message>
        <source>记录到文件已关闭：记录的行只保存在表格中</source>
        <translation>记录到文件已关闭：记录的行只保存在表格中</translation>
    </message>
    <message>
        <source>已记录到 %1  ·  %2 行  ·  %3</source>
        <translation>已记录到 %1  ·  %2 行  ·  %3</translation>
    </message>
    <message>
        <source>记录的行将同时写入 %1</source>
        <translation>记录的行将同时写入 %1</translation>
    </message>
    <message>
        <source>记录文件夹</source>
        <translation>记录文件夹</translation>
    </message>
    <message>
        <source>无法打开文件夹 %1。</source>
        <translation>无法打开文件夹 %1。</translation>
    </message>
    <message>
        <source>%1 的第 %2 行无法读取：第 %3 列（“%4”）中的“%5”不是%6。</source>
        <translation>%1 的第 %2 行无法读取：第 %3 列（“%4”）中的“%5”不是%6。</translation>
    </message>
    <message>
        <source>无法打开 %1：
%2</source>
        <translation>无法打开 %1：
%2</translation>
    </message>
    <message>
        <source>%1 不是本程序的记录：第 %2 行不是表头。</source>
        <translation>%1 不是本程序的记录：第 %2 行不是表头。</translation>
    </message>
    <message>
        <source>%1 的第 %2 行不完整。</source>
        <translation>%1 的第 %2 行不完整。</translation>
    </message>
    <message>
        <source>%1 的第 %2 行有 %3 列，应为 %4 列。</source>
        <translation>%1 的第 %2 行有 %3 列，应为 %4 列。</translation>
    </message>
    <message>
        <source>有效日期</source>
        <translation>有效日期</translation>
    </message>
    <message>
        <source>有效时间</source>
        <translation>有效时间</translation>
    </message>
    <message>
        <source>数字</source>
        <translation>数字</translation>
    </message>
    <message>
        <source>本次运行的实时数据</source>
        <translation>本次运行的实时数据</translation>
    </message>
    <message>
        <source>%1  ·  %2 行</source>
        <translation>%1  ·  %2 行</translation>
    </message>
    <message>
        <source>打开失败</source>
        <translation>打开失败</translation>
    </message>
    <message>
        <source>未载入任何数据。</source>
        <translation>未载入任何数据。</translation>
    </message>
    <message>
        <source>另一个程序正占用该串口（例如 minicom 或 screen 等终端程序、正在探测新适配器的 ModemManager，或本工具的另一个窗口）。请先关闭它。</source>
        <translation>另一个程序正占用该串口（例如 minicom 或 screen 等终端程序、正在探测新适配器的 ModemManager，或本工具的另一个窗口）。请先关闭它。</translation>
    </message>
    <message>
        <source>此列可容纳的数字</source>
        <translation>此列可容纳的数字</translation>
    </message>
    <message>
        <source>最后一行（第 %1 行）不完整，已略去。</source>
        <translation>最后一行（第 %1 行）不完整，已略去。</translation>
    </message>
    <message>
        <source>文件共有 %1 行，超过上限 %2 行：只载入了最新的 %2 行。</source>
        <translation>文件共有 %1 行，超过上限 %2 行：只载入了最新的 %2 行。</translation>
    </message>
    <message>
        <source>记录未完整载入</source>
        <translation>记录未完整载入</translation>
    </message>
    <message>
        <source>已从 %1 载入 %2 行。</source>
        <translation>已从 %1 载入 %2 行。</translation>
    </message>
    <message>
        <source>轮询周期：300 到 9999 ms</source>
        <translation>轮询周期：300 到 9999 ms</translation>
    </message>
    <message>
        <source>关于 Arvex</source>
        <translation>关于 Arvex</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>最小化</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>总压过压报警阈值</source>
        <translation>总压过压报警阈值</translation>
    </message>
    <message>
        <source>输入的值无效 ！</source>
        <translation>输入的值无效 ！</translation>
    </message>
    <message>
        <source>%1 至 %2</source>
        <translation>%1 至 %2</translation>
    </message>
    <message>
        <source>范围：%1</source>
        <translation>范围：%1</translation>
    </message>
    <message>
        <source>%1，范围 %2</source>
        <translation>%1，范围 %2</translation>
    </message>
    <message>
        <source>仍然写入地址 %1 的电池包？</source>
        <translation>仍然写入地址 %1 的电池包？</translation>
    </message>
    <message>
        <source>输入的参数超过 [%1 - %2] 的范围。</source>
        <translation>输入的参数超过 [%1 - %2] 的范围。</translation>
    </message>
    <message>
        <source>输入的周期 %1 ms 超过 [%2 - %3] ms 的范围，周期仍为 %4 ms。</source>
        <translation>输入的周期 %1 ms 超过 [%2 - %3] ms 的范围，周期仍为 %4 ms。</translation>
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
        <translation>将地址 %1 的电池包的全部参数恢复为出厂值？
当前的设置将丢失。</translation>
    </message>
    <message>
        <source>重新初始化地址 %1 的电池包的 SOC？
当前的荷电状态将被丢弃。</source>
        <translation>重新初始化地址 %1 的电池包的 SOC？
当前的荷电状态将被丢弃。</translation>
    </message>
    <message>
        <source>复位地址 %1 的电池包的系统？
板子将重新启动，一两秒内不回应。</source>
        <translation>复位地址 %1 的电池包的系统？
板子将重新启动，一两秒内不回应。</translation>
    </message>
    <message>
        <source>读回失败：%1 次请求均未得到有效回复</source>
        <translation>读回失败：%1 次请求均未得到有效回复</translation>
    </message>
    <message>
        <source>请确认</source>
        <translation>请确认</translation>
    </message>
    <message>
        <source>自 %1 起无数据</source>
        <translation>自 %1 起无数据</translation>
    </message>
    <message>
        <source>尚无数据</source>
        <translation>尚无数据</translation>
    </message>
    <message>
        <source>这块板子不报告此报警，指示灯一直是灰色。</source>
        <translation>这块板子不报告此报警，指示灯一直是灰色。</translation>
    </message>
    <message>
        <source>这块板子不使用此阈值：既不读出，也不写入。</source>
        <translation>这块板子不使用此阈值：既不读出，也不写入。</translation>
    </message>
    <message>
        <source>已导出 %1 行到 %2</source>
        <translation>已导出 %1 行到 %2</translation>
    </message>
    <message>
        <source>第一行到达时开始记录到 %1</source>
        <translation>第一行到达时开始记录到 %1</translation>
    </message>
    <message>
        <source>正在记录 %1 个文件到 %2  ·  %3 行  ·  %4</source>
        <translation>正在记录 %1 个文件到 %2  ·  %3 行  ·  %4</translation>
    </message>
    <message>
        <source>已记录 %1 个文件到 %2  ·  %3 行  ·  %4</source>
        <translation>已记录 %1 个文件到 %2  ·  %3 行  ·  %4</translation>
    </message>
    <message>
        <source>总览</source>
        <translation>总览</translation>
    </message>
    <message>
        <source>扫描地址</source>
        <translation>扫描地址</translation>
    </message>
    <message>
        <source>至</source>
        <translation>至</translation>
    </message>
    <message>
        <source>扫描</source>
        <translation>扫描</translation>
    </message>
    <message>
        <source>停止扫描</source>
        <translation>停止扫描</translation>
    </message>
    <message>
        <source>电池组：尚无电池包</source>
        <translation>电池组：尚无电池包</translation>
    </message>
    <message>
        <source>电池组：没有电池包在应答</source>
        <translation>电池组：没有电池包在应答</translation>
    </message>
    <message>
        <source>电池组（%1/%2 个电池包在应答）：电流 %3 A · 功率 %4 W · 平均 SOC %5 %</source>
        <translation>电池组（%1/%2 个电池包在应答）：电流 %3 A · 功率 %4 W · 平均 SOC %5 %</translation>
    </message>
    <message>
        <source>最低电芯 %1 mV（电池包 %2 #%3）</source>
        <translation>最低电芯 %1 mV（电池包 %2 #%3）</translation>
    </message>
    <message>
        <source>一轮 %1 ms，长于周期 %2 ms：线路以其最快速度轮询</source>
        <translation>一轮 %1 ms，长于周期 %2 ms：线路以其最快速度轮询</translation>
    </message>
    <message>
        <source>一轮 %1 ms（周期 %2 ms）</source>
        <translation>一轮 %1 ms（周期 %2 ms）</translation>
    </message>
    <message>
        <source>无数据：%1</source>
        <translation>无数据：%1</translation>
    </message>
    <message>
        <source>正在扫描……</source>
        <translation>正在扫描……</translation>
    </message>
    <message numerus="yes">
        <source>找到 %n 个电池包：%1</source>
        <translation>
            <numerusform>找到 %n 个电池包：%1</numerusform>
        </translation>
    </message>
    <message>
        <source>没有电池包应答；轮询列表未变</source>
        <translation>没有电池包应答；轮询列表未变</translation>
    </message>
    <message>
        <source>扫描已停止；轮询列表未变</source>
        <translation>扫描已停止；轮询列表未变</translation>
    </message>
    <message>
        <source>%1 s 无应答</source>
        <translation>%1 s 无应答</translation>
    </message>
    <message>
        <source>%1 min 无应答</source>
        <translation>%1 min 无应答</translation>
    </message>
    <message>
        <source>%1 h 无应答</source>
        <translation>%1 h 无应答</translation>
    </message>
    <message>
        <source>电池包 %1</source>
        <translation>电池包 %1</translation>
    </message>
    <message>
        <source>电池包 %1 · 编号 %2</source>
        <translation>电池包 %1 · 编号 %2</translation>
    </message>
    <message>
        <source>这些页面显示并写入的电池包。在总览页选择其他电池包。</source>
        <translation>这些页面显示并写入的电池包。在总览页选择其他电池包。</translation>
    </message>
    <message>
        <source>等待应答</source>
        <translation>等待应答</translation>
    </message>
    <message>
        <source>充电 %1 A</source>
        <translation>充电 %1 A</translation>
    </message>
    <message>
        <source>放电 %1 A</source>
        <translation>放电 %1 A</translation>
    </message>
    <message>
        <source>静置 %1 A</source>
        <translation>静置 %1 A</translation>
    </message>
    <message>
        <source>最低 %1 mV #%2   最高 %3 mV #%4</source>
        <translation>最低 %1 mV #%2   最高 %3 mV #%4</translation>
    </message>
    <message>
        <source>无电芯电压</source>
        <translation>无电芯电压</translation>
    </message>
    <message>
        <source>压差 %1 mV   最高温度 %2 °C</source>
        <translation>压差 %1 mV   最高温度 %2 °C</translation>
    </message>
    <message>
        <source>超时 %1</source>
        <translation>超时 %1</translation>
    </message>
    <message>
        <source>往返 %1 ms</source>
        <translation>往返 %1 ms</translation>
    </message>
    <message>
        <source>应用差异</source>
        <translation>应用差异</translation>
    </message>
    <message>
        <source>应用到…</source>
        <translation>应用到…</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>参数配置</source>
        <translation>参数配置</translation>
    </message>
    <message>
        <source>参数</source>
        <translation>参数</translation>
    </message>
    <message>
        <source>单位</source>
        <translation>单位</translation>
    </message>
    <message>
        <source>板子</source>
        <translation>板子</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>文件</translation>
    </message>
    <message>
        <source>范围</source>
        <translation>范围</translation>
    </message>
    <message>
        <source>对比</source>
        <translation>对比</translation>
    </message>
    <message>
        <source>地址：</source>
        <translation>地址：</translation>
    </message>
    <message>
        <source>文件：%1</source>
        <translation>文件：%1</translation>
    </message>
    <message>
        <source>，保存于 %1</source>
        <translation>，保存于 %1</translation>
    </message>
    <message>
        <source>，来自地址 %1</source>
        <translation>，来自地址 %1</translation>
    </message>
    <message>
        <source>板子与文件一致。</source>
        <translation>板子与文件一致。</translation>
    </message>
    <message>
        <source>%1 项与文件不同或未知。</source>
        <translation>%1 项与文件不同或未知。</translation>
    </message>
    <message>
        <source>≠ 不同</source>
        <translation>≠ 不同</translation>
    </message>
    <message>
        <source>? 未读回</source>
        <translation>? 未读回</translation>
    </message>
    <message>
        <source>未知</source>
        <translation>未知</translation>
    </message>
    <message>
        <source>地址无效</source>
        <translation>地址无效</translation>
    </message>
    <message>
        <source>正在处理地址 %1（%2/%3）</source>
        <translation>正在处理地址 %1（%2/%3）</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>完成</translation>
    </message>
    <message>
        <source>无法写入审计文件 %1：%2</source>
        <translation>无法写入审计文件 %1：%2</translation>
    </message>
    <message>
        <source>保存配置…</source>
        <translation>保存配置…</translation>
    </message>
    <message>
        <source>打开配置…</source>
        <translation>打开配置…</translation>
    </message>
    <message>
        <source>保存配置</source>
        <translation>保存配置</translation>
    </message>
    <message>
        <source>已保存地址 %1 的 %2 项参数到 %3</source>
        <translation>已保存地址 %1 的 %2 项参数到 %3</translation>
    </message>
    <message>
        <source>板子的值超出范围，未保存：%1</source>
        <translation>板子的值超出范围，未保存：%1</translation>
    </message>
    <message>
        <source>打开配置</source>
        <translation>打开配置</translation>
    </message>
    <message>
        <source>配置文件无效</source>
        <translation>配置文件无效</translation>
    </message>
    <message>
        <source>配置与板子矛盾</source>
        <translation>配置与板子矛盾</translation>
    </message>
    <message>
        <source>文件的值与地址 %1 的板子的值矛盾，不能应用：</source>
        <translation>文件的值与地址 %1 的板子的值矛盾，不能应用：</translation>
    </message>
    <message>
        <source>文件中有不在任何页面上的参数，已忽略，不会写入：%1</source>
        <translation>文件中有不在任何页面上的参数，已忽略，不会写入：%1</translation>
    </message>
    <message>
        <source>板子的值互相矛盾，这个文件将无法打开：</source>
        <translation>板子的值互相矛盾，这个文件将无法打开：</translation>
    </message>
    <message>
        <source>本次运行的实时数据：电池包 %1</source>
        <translation>本次运行的实时数据：电池包 %1</translation>
    </message>
    <message>
        <source>只显示差异</source>
        <translation>只显示差异</translation>
    </message>
    <message>
        <source>不在参数页上</source>
        <translation>不在参数页上</translation>
    </message>
    <message numerus="yes">
        <source>将与文件不同的 %n 项参数写入地址 %1 的电池包？</source>
        <translation>
            <numerusform>将与文件不同的 %n 项参数写入地址 %1 的电池包？</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>先读回地址 %1 的电池包，再写入与文件不同的参数（最多 %n 项）？</source>
        <translation>
            <numerusform>先读回地址 %1 的电池包，再写入与文件不同的参数（最多 %n 项）？</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>先逐个读回 %n 个电池包（地址 %1），再向每个写入与文件不同的参数（每个最多 %2 项）？</source>
        <translation>
            <numerusform>先逐个读回 %n 个电池包（地址 %1），再向每个写入与文件不同的参数（每个最多 %2 项）？</numerusform>
        </translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>已停止</translation>
    </message>
    <message numerus="yes">
        <source>地址 %1 的电池包目前有 %n 项与文件不同。</source>
        <translation>
            <numerusform>地址 %1 的电池包目前有 %n 项与文件不同。</numerusform>
        </translation>
    </message>
    <message>
        <source>电芯 %1 内阻偏高</source>
        <translation>电芯 %1 内阻偏高</translation>
    </message>
</context>
<context>
    <name>ParameterProfile</name>
    <message>
        <source>%1：%2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>不是配置文件可以保存的参数。</source>
        <translation>不是配置文件可以保存的参数。</translation>
    </message>
    <message>
        <source>应为带 &quot;value&quot; 和 &quot;unit&quot; 的对象。</source>
        <translation>应为带 &quot;value&quot; 和 &quot;unit&quot; 的对象。</translation>
    </message>
    <message>
        <source>未知的键。</source>
        <translation>未知的键。</translation>
    </message>
    <message>
        <source>值必须是整数。</source>
        <translation>值必须是整数。</translation>
    </message>
    <message>
        <source>值 %1 超出范围 [%2 - %3]。</source>
        <translation>值 %1 超出范围 [%2 - %3]。</translation>
    </message>
    <message>
        <source>单位应为 &quot;%1&quot;，文件中为 &quot;%2&quot;。</source>
        <translation>单位应为 &quot;%1&quot;，文件中为 &quot;%2&quot;。</translation>
    </message>
    <message>
        <source>（不是文本）</source>
        <translation>（不是文本）</translation>
    </message>
    <message>
        <source>文件大于 1 MiB，不是参数配置文件。</source>
        <translation>文件大于 1 MiB，不是参数配置文件。</translation>
    </message>
    <message>
        <source>这个键出现了两次。</source>
        <translation>这个键出现了两次。</translation>
    </message>
    <message>
        <source>不是有效的参数配置文件：嵌套过深。</source>
        <translation>不是有效的参数配置文件：嵌套过深。</translation>
    </message>
    <message>
        <source>不是有效的 JSON（第 %1 个字节：%2）。</source>
        <translation>不是有效的 JSON（第 %1 个字节：%2）。</translation>
    </message>
    <message>
        <source>不是有效的参数配置文件：应为一个 JSON 对象。</source>
        <translation>不是有效的参数配置文件：应为一个 JSON 对象。</translation>
    </message>
    <message>
        <source>不是参数配置文件（应为 &quot;%1&quot;）。</source>
        <translation>不是参数配置文件（应为 &quot;%1&quot;）。</translation>
    </message>
    <message>
        <source>不支持的版本 %1，本程序读取版本 %2。</source>
        <translation>不支持的版本 %1，本程序读取版本 %2。</translation>
    </message>
    <message>
        <source>（无）</source>
        <translation>（无）</translation>
    </message>
    <message>
        <source>类型或取值不对。</source>
        <translation>类型或取值不对。</translation>
    </message>
    <message>
        <source>应为一个对象，每个参数一项。</source>
        <translation>应为一个对象，每个参数一项。</translation>
    </message>
    <message>
        <source>文件中没有任何参数。</source>
        <translation>文件中没有任何参数。</translation>
    </message>
    <message>
        <source>无法读取文件：%1</source>
        <translation>无法读取文件：%1</translation>
    </message>
    <message>
        <source>无法写入 %1：%2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
</context>
<context>
    <name>ProfileJob</name>
    <message>
        <source>已确认</source>
        <translation>已确认</translation>
    </message>
    <message>
        <source>板子未采用</source>
        <translation>板子未采用</translation>
    </message>
    <message>
        <source>已发送，未确认</source>
        <translation>已发送，未确认</translation>
    </message>
    <message>
        <source>未发送</source>
        <translation>未发送</translation>
    </message>
    <message>
        <source>地址 %1：与文件一致</source>
        <translation>地址 %1：与文件一致</translation>
    </message>
    <message>
        <source>地址 %1：%2 项与文件不同</source>
        <translation>地址 %1：%2 项与文件不同</translation>
    </message>
    <message>
        <source>地址 %1：已读回</source>
        <translation>地址 %1：已读回</translation>
    </message>
    <message>
        <source>地址 %1：%2 项已写入并确认</source>
        <translation>地址 %1：%2 项已写入并确认</translation>
    </message>
    <message>
        <source>地址 %1：写入 %2 项，%3 项未确认</source>
        <translation>地址 %1：写入 %2 项，%3 项未确认</translation>
    </message>
    <message>
        <source>地址 %1：写入 %2 项，%3 项未确认，%4 项未发送</source>
        <translation>地址 %1：写入 %2 项，%3 项未确认，%4 项未发送</translation>
    </message>
    <message>
        <source>地址 %1：板子没有回应，未写入</source>
        <translation>地址 %1：板子没有回应，未写入</translation>
    </message>
    <message>
        <source>地址 %1：已停止，未写入</source>
        <translation>地址 %1：已停止，未写入</translation>
    </message>
    <message>
        <source>地址 %1：串口已关闭</source>
        <translation>地址 %1：串口已关闭</translation>
    </message>
    <message>
        <source>%1：板子 %2，文件 %3 %4</source>
        <translation>%1：板子 %2，文件 %3 %4</translation>
    </message>
    <message>
        <source>未知</source>
        <translation>未知</translation>
    </message>
    <message>
        <source>%1：%2 → %3：%4</source>
        <translation>%1：%2 → %3：%4</translation>
    </message>
    <message>
        <source>没有给出地址。</source>
        <translation>没有给出地址。</translation>
    </message>
    <message>
        <source>串口未打开。</source>
        <translation>串口未打开。</translation>
    </message>
    <message>
        <source>%1：板子的值超出范围，未保存。</source>
        <translation>%1：板子的值超出范围，未保存。</translation>
    </message>
    <message>
        <source>已保存到 %1</source>
        <translation>已保存到 %1</translation>
    </message>
    <message>
        <source>无法写入审计文件 %1：%2</source>
        <translation>无法写入审计文件 %1：%2</translation>
    </message>
    <message>
        <source>地址 %1：未写入，文件的值与板子的值矛盾：%2</source>
        <translation>地址 %1：未写入，文件的值与板子的值矛盾：%2</translation>
    </message>
    <message>
        <source>%1：不在任何页面上的参数，已忽略。</source>
        <translation>%1：不在任何页面上的参数，已忽略。</translation>
    </message>
    <message>
        <source>%1：板子的值互相矛盾，这个文件将无法打开：%2</source>
        <translation>%1：板子的值互相矛盾，这个文件将无法打开：%2</translation>
    </message>
    <message numerus="yes">
        <source>%n 块已确认</source>
        <translation>
            <numerusform>%n 块已确认</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块本已一致</source>
        <translation>
            <numerusform>%n 块本已一致</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块已读回</source>
        <translation>
            <numerusform>%n 块已读回</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块与文件不同</source>
        <translation>
            <numerusform>%n 块与文件不同</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块未确认</source>
        <translation>
            <numerusform>%n 块未确认</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块没有回应</source>
        <translation>
            <numerusform>%n 块没有回应</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块未写入</source>
        <translation>
            <numerusform>%n 块未写入</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块因串口关闭未写入</source>
        <translation>
            <numerusform>%n 块因串口关闭未写入</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块因值矛盾未写入</source>
        <translation>
            <numerusform>%n 块因值矛盾未写入</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1/%n 块板子</source>
        <translation>
            <numerusform>%1/%n 块板子</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块板子</source>
        <translation>
            <numerusform>%n 块板子</numerusform>
        </translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>，</source>
        <translation>，</translation>
    </message>
</context>
<context>
    <name>Recording</name>
    <message>
        <source>无法创建文件夹。</source>
        <translation>无法创建文件夹。</translation>
    </message>
    <message>
        <source>文件在记录期间被删除。</source>
        <translation>文件在记录期间被删除。</translation>
    </message>
    <message>
        <source>未知错误。</source>
        <translation>未知错误。</translation>
    </message>
</context>
<context>
    <name>ThresholdPairs</name>
    <message>
        <source>%1 %2 不高于%3 %4：任何电压都会触发其中一个保护。</source>
        <translation>%1 %2 不高于%3 %4：任何电压都会触发其中一个保护。</translation>
    </message>
    <message>
        <source>%1 %2 不高于%3 %4：保护一触发就会立即解除。</source>
        <translation>%1 %2 不高于%3 %4：保护一触发就会立即解除。</translation>
    </message>
    <message>
        <source>%1 %2 不低于%3 %4：保护一触发就会立即解除。</source>
        <translation>%1 %2 不低于%3 %4：保护一触发就会立即解除。</translation>
    </message>
</context>
<context>
    <name>TrendView</name>
    <message>
        <source>总电压</source>
        <translation>总电压</translation>
    </message>
    <message>
        <source>电流</source>
        <translation>电流</translation>
    </message>
    <message>
        <source>SOC</source>
        <translation>SOC</translation>
    </message>
    <message>
        <source>最大电压</source>
        <translation>最大电压</translation>
    </message>
    <message>
        <source>最小电压</source>
        <translation>最小电压</translation>
    </message>
    <message>
        <source>平均电压</source>
        <translation>平均电压</translation>
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
        <translation>环境</translation>
    </message>
</context>
<context>
    <name>WriteMarks</name>
    <message>
        <source>已输入，尚未发送</source>
        <translation>已输入，尚未发送</translation>
    </message>
    <message>
        <source>已发送，等待读回确认</source>
        <translation>已发送，等待读回确认</translation>
    </message>
    <message>
        <source>已确认：板子保存了 %1</source>
        <translation>已确认：板子保存了 %1</translation>
    </message>
    <message>
        <source>板子保留了 %1，未采用发送的 %2</source>
        <translation>板子保留了 %1，未采用发送的 %2</translation>
    </message>
    <message>
        <source>未确认：读回没有显示板子的值（发送的是 %1）</source>
        <translation>未确认：读回没有显示板子的值（发送的是 %1）</translation>
    </message>
    <message>
        <source>已发送，无法确认：读回不含此值</source>
        <translation>已发送，无法确认：读回不含此值</translation>
    </message>
</context>
</TS>
