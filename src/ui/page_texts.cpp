#include "ui/page_texts.h"

#include "model/i18n.h"

namespace tidewell::PageTexts {

const Texts& chinese() {
    static const Texts texts{
        // Home
        {"What would you like to do?", "你想做什么？"},
        {"Find heavy apps, leftovers, old logs and caches. Everything goes to the Trash first.",
         "找出占用空间大的应用、残留文件、旧日志和缓存。所有内容都会先移到废纸篓。"},
        {"Check damaged ZIP, Office, PDF, video, image and audio files and export a repaired copy.",
         "检查损坏的 ZIP、Office、PDF、视频、图片和音频文件，并导出修复后的副本。"},
        {"Copy readable files off a drive and rescue deleted files from FAT32 and exFAT cards.",
         "从磁盘复制可读文件，并从 FAT32 和 exFAT 存储卡中找回已删除的文件。"},
        // Settings
        {"Running: deleted-file scans read drives through it, read-only.",
         "正在运行：扫描已删除文件时通过它以只读方式读取磁盘。"},
        {"Not running. Tidewell asks for administrator approval to start it when a deleted-file scan begins.",
         "未运行。开始扫描已删除文件时，Tidewell 会请求管理员批准来启动它。"},
        // File Repair
        {"Add a damaged file to begin.", "添加一个损坏的文件即可开始。"},
        {"Drop damaged files here. The original is never changed; a repaired copy is exported to a place you "
         "choose.",
         "把损坏的文件拖到这里。原始文件绝不会被更改，修复后的副本会导出到你选择的位置。"},
        {"Choose File to Repair", "选择要修复的文件"},
        {"Remove", "移除"},
        {"Export Repaired Copy…", "导出修复副本…"},
        {"Extract Readable Contents…", "提取可读内容…"},
        {"Export All Ready…", "导出全部可修复文件…"},
        {"Reveal", "在文件夹中显示"},
        {"Open", "打开"},
        {"Name", "名称"},
        {"State", "状态"},
        {"Status", "进展"},
        {"Check", "检查项"},
        {"Result", "结果"},
        {"Detail", "详情"},
        {"Export", "导出"},
        {"Message", "消息"},
        // Repair phases, outcomes and the fixed status lines of a queued file
        {"Queued", "排队中"},
        {"Diagnosing", "正在诊断"},
        {"Ready", "就绪"},
        {"Repairing", "正在修复"},
        {"Verifying", "正在验证"},
        {"Repaired", "已修复"},
        {"Partially recovered", "部分恢复"},
        {"Could not repair", "无法修复"},
        {"Cancelled", "已取消"},
        {"Waiting", "等待中"},
        {"Inspecting structure", "正在检查文件结构"},
        {"Diagnosis failed", "诊断失败"},
        {"Ready to repair", "可以修复"},
        {"Preparing export", "正在准备导出"},
        {"Preparing content recovery", "正在准备提取内容"},
        {"Readable contents extracted", "已提取可读内容"},
        {"Repair cancelled", "修复已取消"},
        {"Could not export repaired copy", "无法导出修复副本"},
        // Preview tiles ("Export" is listed with the File Repair texts above)
        {"Package", "文件包"},
        {"Readable entries", "可读条目"},
        {"Pages", "页面"},
        {"Rewrite tool", "重写工具"},
        {"Top-level atoms", "顶层原子"},
        {"Repair method", "修复方式"},
        {"Image", "图像"},
        {"Audio container", "音频容器"},
        // Finding levels
        {"Found", "已找到"},
        {"Needs review", "需要检查"},
        {"Missing", "缺失"},
        {"Info", "提示"},
        // External Recovery
        {"Sources are only read. Recovered files are exported to another place.",
         "来源只会被读取。恢复的文件会导出到其他位置。"},
        {"Connect an external drive or choose a folder to scan.", "请连接外部驱动器，或选择一个要扫描的文件夹。"},
        {"Refresh", "刷新"},
        {"Choose Folder…", "选择文件夹…"},
        {"Readable Files", "可读文件"},
        {"Deleted Files", "已删除文件"},
        {"Scan Readable Files", "扫描可读文件"},
        {"Scan Deleted Files", "扫描已删除文件"},
        {"Export Selected…", "导出所选项…"},
        {"Kind", "类型"},
        {"Modified", "修改时间"},
        {"Confidence", "可信度"},
        {"Visited", "已访问"},
        {"Skipped", "已跳过"},
        {"Directories checked", "已检查目录"},
        {"Entries checked", "已检查条目"},
        // Scan states
        {"Scanning", "正在扫描"},
        {"Exporting", "正在导出"},
        {"Complete", "已完成"},
        {"Needs attention", "需要处理"},
        // Candidate kinds and confidences
        {"Photo", "照片"},
        {"Video", "视频"},
        {"Document", "文档"},
        {"Audio", "音频"},
        {"Archive", "压缩包"},
        {"Other", "其他"},
        {"High", "高"},
        {"Medium", "中"},
        {"Low", "低"},
        // History
        {"Date", "日期"},
    };
    return texts;
}

std::string text(std::string_view english, std::string_view language) {
    const auto found = chinese().find(english);
    if (found == chinese().end()) return std::string(english);
    return I18n::pick(language, english, found->second);
}

}  // namespace tidewell::PageTexts
